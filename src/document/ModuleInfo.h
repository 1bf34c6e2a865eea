#pragma once

#include <QString>

// The first ModelInfo row of a document, held in memory while it is open.
struct ModuleInfo
{
    QString moduleName;
    QString type;
    QString manufactory;
    QString moduleId;
    QString remark;
    int reCyc = 0;
};
