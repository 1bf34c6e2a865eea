#pragma once

#include "core/settings/PortAssignments.h"

#include <QString>
#include <QStringList>

// Where a port name leads. A name "COMn" (n from 1) is looked up in order:
//   1. a link or device named COMn in one of the link folders (the program's
//      folder first, where the module simulator makes its link);
//   2. the device the user assigned to COMn;
//   3. /dev/ttyS(n-1).
// Any other name is taken as a device path already.
class PortLocator final
{
public:
    enum class Source { Link, Assignment, Standard, AsGiven };

    struct Location
    {
        // The device to open: the target of the link or assignment when it
        // exists, else the link or assigned path itself, so that opening it
        // fails rather than falling back to an unrelated device.
        QString path;
        Source source = Source::AsGiven;
        // The link or the assigned name the path was found through.
        QString via;
    };

    void setLinkFolders(const QStringList &folders) { m_linkFolders = folders; }
    [[nodiscard]] const QStringList &linkFolders() const { return m_linkFolders; }
    void setAssignments(const PortAssignments &assignments) { m_assignments = assignments; }
    [[nodiscard]] const PortAssignments &assignments() const { return m_assignments; }

    [[nodiscard]] Location locate(const QString &name) const;
    [[nodiscard]] QString devicePath(const QString &name) const { return locate(name).path; }

    // The number n of a name "COMn", 0 for any other name.
    [[nodiscard]] static int comNumber(const QString &name);

private:
    QStringList m_linkFolders;
    PortAssignments m_assignments;
};
