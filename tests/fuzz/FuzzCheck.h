// Small helpers shared by the libFuzzer targets: a check that turns a broken
// invariant into a crash libFuzzer reports (with the input saved), and the ways a
// target reads its raw input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#define FUZZ_CHECK(condition)                                                                                \
    do                                                                                                       \
    {                                                                                                        \
        if (!(condition))                                                                                    \
        {                                                                                                    \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition);           \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

namespace Fuzz
{

// The input up to its first NUL (or all of it): the text a C caller would pass.
inline std::string TextOf(const std::uint8_t* data, std::size_t size)
{
    const void* nul = std::memchr(data, '\0', size);
    const std::size_t length =
        nul != nullptr ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - data) : size;
    return std::string(reinterpret_cast<const char*>(data), length);
}

// A number derived from every byte of the input, for choices that should vary
// with the input while the seed files stay plain text.
inline std::uint32_t Mix(const std::uint8_t* data, std::size_t size)
{
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 16777619u;
    return hash;
}

// A heap copy of exactly the given bytes, so that AddressSanitizer reports any
// read past them.
class ExactCopy
{
public:
    ExactCopy(const void* data, std::size_t size)
        : m_size(size), m_data(static_cast<char*>(std::malloc(size ? size : 1)))
    {
        if (size)
            std::memcpy(m_data, data, size);
    }
    ~ExactCopy() { std::free(m_data); }
    ExactCopy(const ExactCopy&) = delete;
    ExactCopy& operator=(const ExactCopy&) = delete;

    char* Data() const { return m_data; }
    std::size_t Size() const { return m_size; }

private:
    std::size_t m_size;
    char* m_data;
};

} // namespace Fuzz
