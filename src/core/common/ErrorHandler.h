#pragma once

#include "core/common/AppTexts.h"
#include "core/common/Prompt.h"
#include "core/common/ZoqError.h"

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
