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

} // namespace ovix
