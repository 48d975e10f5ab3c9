#pragma once
// Byte sinks: a DataWriter takes bytes; a DataReceiver takes one bounded stream of them.

class DataWriter {
public:
    virtual DataWriter& Write(const char* first, const char* last) = 0;

protected:
    ~DataWriter() = default;
};

class DataReceiver : public DataWriter {
public:
    DataWriter& Write(const char* first, const char* last) override
    {
        Receive(first, last);
        return *this;
    }
    virtual ~DataReceiver() = default;
    virtual void Begin() = 0;
    virtual void Receive(const char* first, const char* last) = 0;
    virtual void End() = 0;
};

// Discards everything written to it.
class IgnoreDataReceiver : public DataReceiver {
public:
    void Begin() override {}
    void Receive(const char*, const char*) override {}
    void End() override {}
};
