#include "text/DataReader.h"

DataReader& DataReader::ReadExactly(char* first, char* last)
{
    ByteRange range{first, last};
    while (HasMore()) {
        if (range.Empty())
            return *this;
        ReadSome(range);
    }
    if (!range.Empty())
        throw NoMoreData();
    return *this;
}
