#pragma once
// The employee editor's "Sex" box: a drop-down that can be made read-only like a text box.

#include <QComboBox>
#include <QLineEdit>

/// A drop-down box that can be made read-only like a text box: no popup, no wheel, no typing.
class LockableCombo : public QComboBox {
public:
    using QComboBox::QComboBox;
    void setReadOnly(bool on)
    {
        m_readOnly = on;
        if (lineEdit())
            lineEdit()->setReadOnly(on);
    }
    bool isReadOnly() const { return m_readOnly; }
    void showPopup() override
    {
        if (!m_readOnly)
            QComboBox::showPopup();
    }

protected:
    void wheelEvent(QWheelEvent *e) override
    {
        if (!m_readOnly)
            QComboBox::wheelEvent(e);
    }
    void keyPressEvent(QKeyEvent *e) override
    {
        if (!m_readOnly)
            QComboBox::keyPressEvent(e);
    }

private:
    bool m_readOnly = false;
};
