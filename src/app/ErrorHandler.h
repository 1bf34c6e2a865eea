#pragma once

#include "app/AppTexts.h"
#include "app/Prompt.h"
#include "app/ZoqError.h"

#include <exception>

// The application's error handler: runs work, and shows the text of an error
// that escapes it in a notice; the program goes on. False when work failed.
template<typename Work>
bool runShowingErrors(Prompt &prompt, Work &&work)
{
    try {
        work();
        return true;
    } catch (const ZoqError &error) {
        prompt.notice(AppTexts::applicationTitle(), error.message());
    } catch (const std::exception &error) {
        prompt.notice(AppTexts::applicationTitle(), QString::fromLocal8Bit(error.what()));
    }
    return false;
}
