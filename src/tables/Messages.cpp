#include "tables/Messages.h"

#include <iterator>

// Marks a catalogue entry for the console's translation step (lupdate reads it as
// QT_TRANSLATE_NOOP3) without using Qt here.
#define OVIX_TRANSLATE_NOOP3(context, text, disambiguation) MessageSource{text, disambiguation}

namespace ovix {

namespace {

// In MessageId order. Texts are the system's own, spaces and spelling included.
constexpr MessageSource kCatalogue[] = {
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "char Len error!", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Connection failure!", "the processor stopped answering"),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Connection failure!", "the chosen processor cannot be opened"),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "No connection can be opened", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Please Update the Firmware!", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages",
                         " If device version is lower than the software version, only the device at "
                         "version, HN338-V%1.01 to HN338-V%1.99, can be connected with this software.",
                         ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages",
                         " If software version is lower than the device version, only the software at "
                         "version, PHN338-V%1.01 to PHN338-V%1.99, can be connected with this device.",
                         ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Save MusicFile Error!", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Read MusicFile  Error", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "save all MusicFile Error!", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Read all MusicFile Error", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Connected Usb", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Erasing......", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Programming......", "firmware status: DSP data"),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Programming......", "firmware status: MCU data"),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Update successfully!", "firmware status: last step answered"),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Firmware update started", "firmware status: start step answered"),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Data transfer", "firmware status: erase step answered"),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Bin File error!", ""),
    // no usable section in the firmware file: this text is the same in both languages
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "更新文件错误！", "firmware file without a usable section"),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Update successfully!", "firmware message: update finished"),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "The firmware update failed", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "The name can not be empty!", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "The name can not be all spaces!", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Have been the same name!", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Line %1: not a filter line", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Line %1: the filter type %2 cannot be imported", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Line %1: %2 has a decimal comma; write a decimal point", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Line %1: %2 is missing", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Line %1: %2 %3 is not a usable value", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages",
                         "The text has %1 equaliser filters; a channel has 31 bands. Nothing was imported.", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "The text holds no filters", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages",
                         "The channel is in GEQ mode; switch it to PEQ mode to import filters", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages",
                         "The channel is in GEQ mode. Switch it to PEQ mode and import the filters?", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Line %1: frequency %2 Hz limited to %3 Hz", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Line %1: gain %2 dB limited to %3 dB", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Line %1: Q %2 is beyond the device's range; bandwidth %3 used", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "Line %1: preamp %2 dB limited to %3 dB", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "The filter file %1 cannot be read", ""),
    OVIX_TRANSLATE_NOOP3("ovix::Messages", "The filter file %1 cannot be written", ""),
};
static_assert(std::size(kCatalogue) == kMessageCount, "one catalogue entry per message id");

} // namespace

MessageSource SourceOf(MessageId id)
{
    return id < kMessageCount ? kCatalogue[id] : MessageSource{"", ""};
}

std::string EnglishText(const UiMessage& message)
{
    const std::string text = SourceOf(message.id).text;
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const std::size_t n = std::size_t(text[i + 1] - '1');
            if (n < message.args.size()) {  // a value not given leaves its placeholder
                out += message.args[n];
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

UiMessage CompatibilityMessage(char deviceMajor, char consoleMajor)
{
    const int d = (deviceMajor >= '0' && deviceMajor <= '9') ? deviceMajor - '0' : 0;
    const int s = consoleMajor - '0';
    if (d < s)
        return {kMsgDeviceOlder, {std::string(1, consoleMajor)}};
    return {kMsgDeviceNewer, {std::string(1, deviceMajor)}};
}

} // namespace ovix
