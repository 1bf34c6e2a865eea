#pragma once

#include <QString>

// The ModelInfo row of a document that describes its remote, held in memory
// while it is open.
struct ModuleInfo
{
    // No text and a recycle count of 0: a row of the template.
    [[nodiscard]] bool isEmpty() const
    {
        return moduleName.isEmpty() && type.isEmpty() && manufactory.isEmpty() && moduleId.isEmpty()
            && remark.isEmpty() && reCyc == 0;
    }

    QString moduleName;
    QString type;
    QString manufactory;
    QString moduleId;
    QString remark;
    int reCyc = 0;

    friend bool operator==(const ModuleInfo &, const ModuleInfo &) = default;
};
