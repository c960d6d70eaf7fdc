// The message catalogue's names: the file, the two sections and every key the
// deliverables look up, with what each key is used for. Both deliverables take
// these names from here and nowhere else.
#pragma once

#include <cstddef>

namespace Catalogue
{

// "ZOVLogMessages.ini" in the installation directory.
constexpr const char kFileName[] = "ZOVLogMessages";
constexpr const char kFileExtension[] = "ini";

// Sections: the format is applied to kSectionLanguage (the user-default language
// id, 0x0400), giving "tessalymessage_1024" and "Message_1024".
constexpr const char kMonitorSectionFormat[] = "tessalymessage_%d";
constexpr const char kClientSectionFormat[] = "Message_%d";
constexpr int kSectionLanguage = 1024;

enum class Section
{
    kMonitor,
    kClient,
};

// A looked-up text and a formatted text each fit a buffer of this size
// (at most 4095 characters and the terminator).
constexpr std::size_t kTextBufferBytes = 4096;
constexpr std::size_t kMaxTextChars = kTextBufferBytes - 1;

// ---- monitor (section tessalymessage_1024) --------------------------------------
// Console banner, shown in this order at creation and after every clear.
constexpr const char kBannerLine1[] = "msg001";
constexpr const char kBannerLine2[] = "msg002";
constexpr const char kBannerLine3[] = "msg003";
constexpr const char kBannerLine4[] = "msg004";
constexpr const char kBannerLine5[] = "msg005";
constexpr const char kBannerLine6[] = "msg006";
constexpr const char kBannerLine7[] = "msg007";
constexpr const char kBannerLine8[] = "msg008";
constexpr const char* const kBannerKeys[] = {kBannerLine1, kBannerLine2, kBannerLine3, kBannerLine4,
                                             kBannerLine5, kBannerLine6, kBannerLine7, kBannerLine8};

// A client ended with TERMINATE.
constexpr const char kTerminateNote[] = "msg015";       // format: the client id (integer)
constexpr const char kTerminateNoteFollow[] = "msg016"; // plain, shown even when empty

// A client ended with CLEAN.
constexpr const char kCleanNote[] = "msg017";        // format: the client id (integer)
constexpr const char kCleanNoteSecond[] = "msg018";  // format: the client id (integer)
constexpr const char kCleanNoteThird[] = "msg019";   // plain, shown even when empty
constexpr const char kCleanNoteRemoved[] = "msg022"; // plain, after the client's record is gone

// ---- client library (section Message_1024) --------------------------------------
// Start lines forwarded after an accepted announcement, in this order.
constexpr const char kStartLine1[] = "msg032";
constexpr const char kStartLine2[] = "msg033";
constexpr const char kStartLineApplicationId[] = "msg034";   // format: the application id (integer)
constexpr const char kStartLineApplicationName[] = "msg035"; // format: the application name (string)
constexpr const char kStartLine5[] = "msg036";
constexpr const char kStartLine6[] = "msg037";
constexpr const char kStartLine7[] = "msg038";
constexpr const char kStartLine8[] = "msg039";
constexpr const char* const kStartKeys[] = {
    kStartLine1, kStartLine2, kStartLineApplicationId, kStartLineApplicationName, kStartLine5, kStartLine6,
    kStartLine7, kStartLine8};

// Clean-up lines: before and after the client context is closed.
constexpr const char kCleanUpStart[] = "msg050";
constexpr const char kCleanUpEnd[] = "msg051";

} // namespace Catalogue
