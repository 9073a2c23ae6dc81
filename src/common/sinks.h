#pragma once

// Where the work of a layer goes: the lines of a data file, the progress of
// a scan. The writers of common/output_file.h are output sinks too.

#include <cstdint>
#include <string>
#include <string_view>

namespace quellbit {

// Receives the progress in whole percent, each step once, 1 to 100.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void progress(std::int16_t percent) = 0;
};

class NullProgress final : public ProgressSink {
public:
    void progress(std::int16_t) override { }
};

// Receives each finished line of the data file, CR LF included.
class OutputSink {
public:
    virtual ~OutputSink() = default;
    virtual void writeLine(std::string_view line) = 0;
};

// Collects the whole data file in memory.
class StringSink final : public OutputSink {
public:
    void writeLine(std::string_view line) override { text.append(line); }
    std::string text;
};

} // namespace quellbit
