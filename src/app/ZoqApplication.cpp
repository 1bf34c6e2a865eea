#include "app/ZoqApplication.h"

#include "core/common/ErrorHandler.h"

ZoqApplication::ZoqApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool ZoqApplication::notify(QObject *receiver, QEvent *event)
{
    bool result = false;
    guard([&] { result = QApplication::notify(receiver, event); });
    return result;
}

void ZoqApplication::guard(const std::function<void()> &work)
{
    if (m_prompt)
        runShowingErrors(*m_prompt, work);
    else
        work();
}
