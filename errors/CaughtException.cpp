#include "errors/CaughtException.h"

#include <algorithm>
#include <mutex>

CaughtException* CatchStdException()
{
    try {
        throw;
    } catch (const std::exception& e) {
        return new CaughtExceptionOfType<std::exception>(e);
    }
}

CaughtException* CatchWindowsError()
{
    try {
        throw;
    } catch (const Windows::Error& e) {
        return new CaughtExceptionOfType<Windows::Error>(e);
    }
}

namespace {

struct CatcherList {
    std::mutex mutex;
    std::vector<ExceptionCatcher> catchers;

    void Add(ExceptionCatcher catcher)
    {
        std::lock_guard lock(mutex);
        if (std::find(catchers.begin(), catchers.end(), catcher) == catchers.end())
            catchers.push_back(catcher);
    }
};

CatcherList& Catchers()
{
    // Function-local statics are initialised once, thread-safely.
    static CatcherList list{{}, {&CatchStdException, &CatchWindowsError}};
    return list;
}

}  // namespace

void RegisterExceptionCatcher(ExceptionCatcher catcher)
{
    Catchers().Add(catcher);
}

std::vector<ExceptionCatcher> RegisteredExceptionCatchers()
{
    CatcherList& list = Catchers();
    std::lock_guard lock(list.mutex);
    return list.catchers;
}
