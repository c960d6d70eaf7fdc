#include "InitPayload.h"

#include "DecimalText.h"
#include "PipeProtocol.h"

#include <cstddef>

namespace Protocol
{
namespace
{

using Position = std::ptrdiff_t;
constexpr Position kNone = -1;

Position FindSeparator(const std::string& text, Position from)
{
    const std::size_t found = text.find(kInitSeparator, static_cast<std::size_t>(from));
    return found == std::string::npos ? kNone : static_cast<Position>(found);
}

// The piece from start with count characters: empty for a count of 0 or less,
// cut at the end of the text otherwise.
std::string Piece(const std::string& text, Position start, Position count)
{
    if (count <= 0 || start >= static_cast<Position>(text.size()))
        return std::string();
    return text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(count));
}

} // namespace

// With two separators or more this reads id, path and text. With fewer, the
// same positions give: no separator -> id 0, empty path, the whole payload as
// text; one separator -> the id, an empty path and the text before the
// separator. These are the readings the monitor has always applied.
InitFields SplitInitPayload(const char* payload)
{
    const std::string p = payload != nullptr ? payload : "";
    const Position n = static_cast<Position>(p.size());

    InitFields fields{0, std::string(), std::string()};
    const Position a = FindSeparator(p, 0);
    fields.clientId = ReadDecimalInt32(Piece(p, 0, a).c_str());

    const Position b = FindSeparator(p, a + 1);
    fields.path = Piece(p, a + 1, b - a - 1);

    const Position s = b + 1;
    Position e = FindSeparator(p, s);
    if (e == kNone && s < n)
        e = n;
    fields.text = Piece(p, s, e - s);
    return fields;
}

} // namespace Protocol
