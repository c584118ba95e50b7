#pragma once
// Codes of the processor's frame protocol.
//
// Every frame, in both directions:
//   0..2 sync 7D 7D 7D | 3 start EE | 4 command | 5 address (1) | 6 program | 7 record type
//   8 index | 9 block | 10 link flag | 11 reserved (0) | 12..13 payload length n (LE)
//   14.. payload | 14+n checksum (XOR of bytes 4..13+n) | 15+n end AA

#include <cstdint>

namespace ovix {

constexpr std::uint8_t kSyncByte = 0x7D;
constexpr std::uint8_t kStartByte = 0xEE;
constexpr std::uint8_t kEndByte = 0xAA;
constexpr std::uint8_t kDeviceAddress = 1;
constexpr int kFrameHeaderSize = 14;
constexpr int kFrameOverhead = 16;       // header, checksum and end byte
constexpr int kMaxPayload = 300;         // the builder's staging area
constexpr int kReportSize = 65;          // report id 0 and 64 frame bytes
constexpr int kReportData = 64;

enum Command : std::uint8_t {
    CMD_WRITE = 0xA1,
    CMD_READ = 0xA2,
    REPLY_ACK = 0x51,
    REPLY_RESEND = 0x52,
    REPLY_DATA = 0x53,
};

enum RecordType : std::uint8_t {
    REC_MIC = 1,
    REC_EFFECT = 2,
    REC_MUSIC = 3,
    REC_OUTPUT = 4,
    REC_SYSTEM = 9,
};

// Record indices on the wire.
constexpr int kMicIndex = 0;
constexpr int kMusicIndex = 2;

// Block byte of a read that targets the live image or the console's copy of a program.
constexpr std::uint8_t STORED_MARKER = 0x77;

enum SystemItem : std::uint8_t {
    SYS_PROGRAM_NAME = 0,
    SYS_EFFECT_NAME = 1,
    SYS_SETTINGS = 2,
    SYS_STATUS = 3,
    SYS_VERSION = 4,
    SYS_TEXT = 16,
    SYS_DEVICE_INFO = 17,
    SYS_IDENT = 18,
    SYS_FLAG20 = 20,
    SYS_SETTING_32 = 32,   // 32..41: sys 6..15
    SYS_SETTING_41 = 41,
    SYS_SETTING_48 = 48,   // sys 16
    SYS_SETTING_49 = 49,   // sys 17
    SYS_SUB_LIMIT = 50,
    SYS_SETTING_51 = 51,
    SYS_MODEL = 52,
    SYS_DELAY_MEMORY = 64,
};

// Firmware update steps: written as CMD_WRITE to REC_SYSTEM with the step as the index.
// The boot request is never sent as a frame: its own reports ask the processor to restart
// into its loader.
enum FirmwareStep : int {
    FW_START = 54,
    FW_MCU_HEADER = 55,
    FW_MCU_DATA = 56,
    FW_FINISH = 57,
    FW_DSP_ERASE = 58,
    FW_DSP_DATA = 59,
    FW_BOOT_REQUEST = 255,
};
// The two data bytes of the boot request's reports, repeated over all 64.
constexpr std::uint8_t kBootRequestBytes[2] = {0x43, 0x11};

// Messages the link posts to the console view.
enum LinkMessage : unsigned {
    WM_LINK_LIVE_LOADED = 0x46E,
    WM_LINK_PROGRAMS_LOADED = 0x46F,
    WM_LINK_DELAY_MEMORY = 0x470,
    WM_LINK_EFFECT_LOADED = 0x477,
    WM_LINK_PRESETS_LOADED = 0x478,
    WM_LINK_MODEL = 0x47A,
    WM_LINK_BATCH_DONE = 0x496,
    WM_LINK_FIRMWARE_DONE = 0x497,
    // A firmware step was answered: wParam the status line's new text (a MessageId) or -1,
    // lParam the number of steps answered so far.
    WM_LINK_FIRMWARE_STATUS = 0x498,
    WM_LINK_LOST = 0x49A,
    WM_LINK_AUTOCONNECT = 0x49C,
    WM_LINK_DEVICE_FAULT = 0x4A0,
    WM_LINK_VERSION = 0x4A1,
};

} // namespace ovix
