#include "app/ZoqApplication.h"

#include "app/AppTexts.h"
#include "app/Prompt.h"
#include "app/ZoqError.h"

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
    try {
        work();
    } catch (const ZoqError &error) {
        showError(error.message());
    } catch (const std::exception &error) {
        showError(QString::fromLocal8Bit(error.what()));
    }
}

void ZoqApplication::showError(const QString &text)
{
    if (m_prompt)
        m_prompt->notice(AppTexts::applicationTitle(), text);
}
