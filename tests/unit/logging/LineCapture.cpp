#include "LineCapture.h"

#include <mutex>
#include <ostream>

namespace
{

std::mutex g_mutex;
std::vector<CapturedLine> g_lines;

} // namespace

std::ostream& operator<<(std::ostream& out, const CapturedLine& line)
{
    return out << "{\"" << line.text << "\", kind " << line.kind << '}';
}

namespace LineCapture
{

void Sink(const char* text, int kind)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_lines.push_back(CapturedLine{text, kind});
}

std::vector<CapturedLine> Take()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    std::vector<CapturedLine> lines;
    lines.swap(g_lines);
    return lines;
}

} // namespace LineCapture
