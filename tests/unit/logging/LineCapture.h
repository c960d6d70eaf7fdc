// Collects the lines a logger hands to its sink, from any thread.
#pragma once

#include <string>
#include <vector>

struct CapturedLine
{
    std::string text;
    int kind;

    bool operator==(const CapturedLine& other) const { return text == other.text && kind == other.kind; }
};

std::ostream& operator<<(std::ostream& out, const CapturedLine& line);

namespace LineCapture
{

// A LogLineSink.
void Sink(const char* text, int kind);
// The lines captured since the last call, oldest first.
std::vector<CapturedLine> Take();

} // namespace LineCapture
