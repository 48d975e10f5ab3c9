// Test helper: holds a named mutex, as another process would, until told to stop.
//   hold_named_mutex <mutex name> <ready event name> <stop event name>
#include "text/UniqueResource.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4)
        return 2;
    UniqueHandle mutex(CreateMutexW(nullptr, FALSE, argv[1]));
    UniqueHandle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]));
    UniqueHandle stop(OpenEventW(SYNCHRONIZE, FALSE, argv[3]));
    if (!mutex || !ready || !stop)
        return 3;
    SetEvent(ready.Get());
    return WaitForSingleObject(stop.Get(), 60000) == WAIT_OBJECT_0 ? 0 : 4;
}
