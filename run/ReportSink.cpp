#include "run/ReportSink.h"

#include <fcntl.h>
#include <io.h>

void ReceiverSink::Write(std::string_view text)
{
    if (buffer_.size() + text.size() > capacity) {
        Flush();
        if (text.size() >= capacity) {
            receiver_.Receive(text.data(), text.data() + text.size());
            return;
        }
    }
    buffer_ += text;
}

void ReceiverSink::Flush()
{
    if (!buffer_.empty())
        receiver_.Receive(buffer_.data(), buffer_.data() + buffer_.size());
    buffer_.clear();
}

StandardOutputSink::StandardOutputSink()
{
    std::fflush(stdout);
    previousMode_ = _setmode(_fileno(stdout), _O_BINARY);
}

StandardOutputSink::~StandardOutputSink()
{
    std::fflush(stdout);
    if (previousMode_ != -1)
        _setmode(_fileno(stdout), previousMode_);
}

void StandardOutputSink::Write(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}
