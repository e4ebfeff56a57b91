#pragma once
// Test stand-in for every box: records each one and answers it from a script.

#include "dialogs.h"
#include <QList>
#include <QStringList>
#include <deque>

namespace zarvo::test {

class BoxRecorder final : public DialogHandler {
public:
    BoxRecorder();  ///< installs itself
    ~BoxRecorder() override; ///< restores the previous handler

    struct Async {
        MessageBox box;
        std::function<void(BoxAnswer)> done;
        bool answered = false;
    };

    QList<MessageBox> boxes;                 ///< every box shown, in order (async ones too)
    std::deque<BoxAnswer> answers;           ///< next answers; Ok (or Yes) when empty
    std::deque<std::optional<QString>> inputs;     ///< next input-box answers; cancel when empty
    std::deque<std::optional<QString>> files;      ///< next file-dialog answers; cancel when empty
    QStringList inputPrompts;
    QStringList inputTitles;
    QStringList inputDefaults;
    QStringList fileDialogTitles;
    QStringList opened;                      ///< paths and addresses handed to the desktop
    QList<Async> pending;                    ///< async boxes, answered by dismiss()
    bool autoDismissAsync = false;           ///< answer async boxes at once with Ok
    /// Runs while a blocking box is "open", before it is answered (e.g. to process events).
    std::function<void(const MessageBox &)> whileOpen;

    /// Answers async box `index` (of `pending`) with Ok.
    void dismiss(int index);
    /// Answers every unanswered async box, newest first.
    void dismissAll();
    int countTitled(const QString &title) const;
    const MessageBox &last() const { return boxes.last(); }
    void clear();

    BoxAnswer message(QWidget *parent, const MessageBox &box) override;
    void messageAsync(QWidget *parent, const MessageBox &box,
                      std::function<void(BoxAnswer)> done) override;
    std::optional<QString> input(QWidget *parent, const QString &prompt, const QString &title,
                                 const QString &defaultText) override;
    std::optional<QString> openFileName(QWidget *parent, const QString &title, const QString &filter,
                                        const QString &startPath) override;
    void openWithDefaultHandler(const QString &pathOrUrl) override;

    std::deque<std::optional<QString>> saveFiles; ///< next save-dialog answers; cancel when empty
    QStringList saveDialogTitles;
    std::deque<bool> printAnswers;                ///< next print-dialog answers; cancel when empty
    int printDialogs = 0;
    std::optional<QString> saveFileName(QWidget *parent, const QString &title, const QString &filter,
                                        const QString &startPath) override;
    bool print(QWidget *parent, QPrinter *printer) override;

private:
    DialogHandler *m_previous = nullptr;
};

} // namespace zarvo::test
