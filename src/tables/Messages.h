#pragma once
// The texts the engine hands to the user, in both languages. The console picks one with
// its language flag when it shows the text; the command-line tool prints the English one.

#include <string>

namespace ovix {

struct BiText {
    const char* en;
    const char* zh;

    const char* Get(bool chinese) const { return chinese ? zh : en; }
};

// A name too long for its field.
inline constexpr BiText kMsgCharLenError{"char Len error!", "字符长度错误!"};

// The processor stopped answering or was unplugged.
inline constexpr BiText kMsgConnectionFailure{
    "Connection failure!",
    "连接失败  请检查USB线缆是否插好或重启计算机和设备后再尝试连接!"};

// A chosen processor cannot be opened (unplugged, or in use by another program).
inline constexpr BiText kMsgCannotOpen{
    "Connection failure!",
    "连接失败  请检查USB线缆是否插好或\n该设备已经连接上了另一软件!"};

inline constexpr BiText kMsgNoConnection{"No connection can be opened", "没有连接可以打开"};

inline constexpr BiText kMsgDeviceFault{"Please Update the Firmware!", "设备异常 请更新固件!!"};

// A text composed at run time, in both languages.
struct UiText {
    std::string en;
    std::string zh;

    UiText() = default;
    UiText(std::string e, std::string z) : en(std::move(e)), zh(std::move(z)) {}
    UiText(const BiText& t) : en(t.en), zh(t.zh) {}  // NOLINT: a fixed text is a text
    const std::string& Get(bool chinese) const { return chinese ? zh : en; }
};

// The processor's firmware generation differs from the console's: deviceMajor is the
// processor's major version character, consoleMajor the console's ('1').
UiText CompatibilityMessage(char deviceMajor, char consoleMajor);

} // namespace ovix
