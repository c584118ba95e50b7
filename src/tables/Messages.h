#pragma once
// The messages the engine hands to the user, by id. The engine only names a message (and
// the values a composed one needs); the console shows it in the language of the moment
// through Qt's translation system, the command-line tool prints the English text. Each
// English text is written once, in the catalogue of Messages.cpp, which the translation
// step reads for the console's translations.

#include <cstdint>
#include <string>
#include <vector>

namespace ovix {

enum MessageId : std::uint8_t {
    // A name too long for its field.
    kMsgCharLenError,
    // The processor stopped answering or was unplugged.
    kMsgConnectionFailure,
    // A chosen processor cannot be opened (unplugged, or in use by another program).
    kMsgCannotOpen,
    kMsgNoConnection,
    kMsgDeviceFault,
    // The processor's firmware generation is older or newer than the console's; %1 is the
    // major version of the generation that fits.
    kMsgDeviceOlder,
    kMsgDeviceNewer,
    // Preset files.
    kMsgSaveSingleError,
    kMsgReadSingleError,
    kMsgSaveAllError,
    kMsgReadAllError,
    // The firmware update: status lines while it runs, then its messages.
    kMsgFwConnectedUsb,
    kMsgFwErasing,
    kMsgFwDspProgramming,
    kMsgFwMcuProgramming,
    kMsgFwStepsFinished,
    // Status lines the Chinese console shows after the start and the erase steps; the
    // English one keeps the line it had (IsChineseOnlyStatus).
    kMsgFwStarted,
    kMsgFwTransferring,
    kMsgFwBinFileError,
    kMsgFwUpdateFileError,
    kMsgFwUpdateDone,
    kMsgFwUpdateFailed,
    // The preset manager's checks of a program name before it is stored.
    kMsgNameEmpty,
    kMsgNameAllSpaces,
    kMsgNameTaken,
    // Filter text (import and export of a channel's filters). %1 is a line number.
    kMsgFilterLineUnknown,
    kMsgFilterTypeUnsupported,   // %2: the type as written
    kMsgFilterDecimalComma,      // %2: the number as written
    kMsgFilterValueMissing,      // %2: Fc, Gain or Q
    kMsgFilterValueInvalid,      // %2: the value's name, %3: as written
    kMsgFilterTooManyBands,      // %1: how many band filters the text has
    kMsgFilterTextEmpty,
    kMsgFilterImportGeqMode,
    kMsgFilterImportAskPeq,
    kMsgFilterFreqClamped,       // %2 given, %3 used (Hz)
    kMsgFilterGainClamped,       // %2 given, %3 used (dB)
    kMsgFilterQClamped,          // %2 the Q given, %3 the bandwidth used (octaves)
    kMsgFilterPreampClamped,     // %2 given, %3 used (dB)
    kMsgFilterFileReadError,     // %1: the file
    kMsgFilterFileWriteError,    // %1: the file
    kMessageCount
};

// A message to show: its id and, for a composed one, the values of %1, %2, ...
struct UiMessage {
    MessageId id;
    std::vector<std::string> args;

    UiMessage(MessageId i) : id(i) {}  // NOLINT: a fixed message is a message
    UiMessage(MessageId i, std::vector<std::string> a) : id(i), args(std::move(a)) {}
    bool operator==(const UiMessage&) const = default;
};

// Where the console's translations look a message up: the translation context, the
// English source text (with %1.. placeholders) and the disambiguation that tells apart
// messages with the same English text.
inline constexpr char kMessageContext[] = "ovix::Messages";
struct MessageSource {
    const char* text;
    const char* disambiguation;
};
MessageSource SourceOf(MessageId id);

// A firmware status line that only the Chinese console shows.
inline bool IsChineseOnlyStatus(MessageId id) { return id == kMsgFwStarted || id == kMsgFwTransferring; }

// The English text with its values filled in (what ovixctl prints).
std::string EnglishText(const UiMessage& message);

// The processor's firmware generation differs from the console's: deviceMajor is the
// processor's major version character, consoleMajor the console's ('1').
UiMessage CompatibilityMessage(char deviceMajor, char consoleMajor);

} // namespace ovix
