#pragma once
// A data receiver that collects its stream in memory.
#include "text/DataWriter.h"

#include <string>

class StringDataReceiver final : public DataReceiver {
public:
    void Begin() override { bytes.clear(); }
    void Receive(const char* first, const char* last) override { bytes.append(first, last); }
    void End() override {}

    std::string bytes;
};
