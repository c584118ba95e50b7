#pragma once
// A one-line field for names in English or Chinese. Names are stored in an 8-bit code
// page where a Chinese character takes two bytes and must start at an even byte: with the
// Chinese switch on (default) a blank is put in front of a Chinese character typed into a
// text of odd byte length; with it off only single-byte characters are accepted.

#include <QLineEdit>

namespace ovix {

class ChEnEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit ChEnEdit(QWidget* parent = nullptr);

    void SetChinese(bool on) { m_chinese = on; }
    bool IsChinese() const { return m_chinese; }

    // Bytes the text takes in the code page: one per ASCII character, two per other.
    static int ByteLength(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;

private:
    // The text typed, adjusted by the rules above; empty when nothing may be inserted.
    QString Admit(const QString& typed) const;

    bool m_chinese = true;
};

} // namespace ovix
