#include "boxrecorder.h"

namespace zarvo::test {

BoxRecorder::BoxRecorder() : m_previous(Dialogs::handler())
{
    Dialogs::setHandler(this);
}

BoxRecorder::~BoxRecorder()
{
    Dialogs::setHandler(m_previous);
}

BoxAnswer BoxRecorder::message(QWidget *, const MessageBox &box)
{
    boxes.append(box);
    if (whileOpen)
        whileOpen(box);
    if (!answers.empty()) {
        const BoxAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    return box.buttons == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
}

void BoxRecorder::messageAsync(QWidget *, const MessageBox &box, std::function<void(BoxAnswer)> done)
{
    boxes.append(box);
    if (autoDismissAsync) {
        if (done)
            done(BoxAnswer::Ok);
        return;
    }
    pending.append(Async{box, std::move(done), false});
}

void BoxRecorder::dismiss(int index)
{
    Async &a = pending[index];
    if (a.answered)
        return;
    a.answered = true;
    auto done = a.done;
    if (done)
        done(BoxAnswer::Ok);
}

void BoxRecorder::dismissAll()
{
    for (int i = int(pending.size()) - 1; i >= 0; --i)
        dismiss(i);
}

int BoxRecorder::countTitled(const QString &title) const
{
    int n = 0;
    for (const MessageBox &b : boxes)
        n += b.title == title;
    return n;
}

void BoxRecorder::clear()
{
    boxes.clear();
    opened.clear();
    inputPrompts.clear();
    inputTitles.clear();
    inputDefaults.clear();
    fileDialogTitles.clear();
}

std::optional<QString> BoxRecorder::input(QWidget *, const QString &prompt, const QString &title,
                                          const QString &defaultText)
{
    inputPrompts.append(prompt);
    inputTitles.append(title);
    inputDefaults.append(defaultText);
    if (inputs.empty())
        return std::nullopt;
    auto a = inputs.front();
    inputs.pop_front();
    return a;
}

std::optional<QString> BoxRecorder::openFileName(QWidget *, const QString &title, const QString &,
                                                 const QString &)
{
    fileDialogTitles.append(title);
    if (files.empty())
        return std::nullopt;
    auto a = files.front();
    files.pop_front();
    return a;
}

void BoxRecorder::openWithDefaultHandler(const QString &pathOrUrl) { opened.append(pathOrUrl); }

std::optional<QString> BoxRecorder::saveFileName(QWidget *, const QString &title, const QString &,
                                                 const QString &)
{
    saveDialogTitles.append(title);
    if (saveFiles.empty())
        return std::nullopt;
    auto a = saveFiles.front();
    saveFiles.pop_front();
    return a;
}

bool BoxRecorder::print(QWidget *, QPrinter *)
{
    ++printDialogs;
    if (printAnswers.empty())
        return false;
    const bool a = printAnswers.front();
    printAnswers.pop_front();
    return a;
}

} // namespace zarvo::test
