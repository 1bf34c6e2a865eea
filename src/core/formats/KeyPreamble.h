#pragma once

#include "core/formats/TimingNote.h"

#include <QString>
#include <QStringList>

// The comments before a key in the text formats: they make its remark,
// except a timing note, which belongs to the code that follows.
class KeyPreamble final
{
public:
    // Takes the text of a comment (after '#'). Empty, or the reason a note
    // is malformed.
    [[nodiscard]] QString take(const QString &comment);

    [[nodiscard]] QString remark() const { return m_remark.join(QLatin1Char(' ')); }
    [[nodiscard]] const TimingNote &note() const { return m_note; }
    void clear();

    // The comment lines a writer puts before a code: "# " and each line of
    // the remark, then the note when it has items.
    [[nodiscard]] static QStringList lines(const QString &remark, const TimingNote &note);

private:
    QStringList m_remark;
    TimingNote m_note;
};
