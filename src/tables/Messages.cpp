#include "tables/Messages.h"

namespace ovix {

UiText CompatibilityMessage(char deviceMajor, char consoleMajor)
{
    const int d = (deviceMajor >= '0' && deviceMajor <= '9') ? deviceMajor - '0' : 0;
    const int s = consoleMajor - '0';
    if (d < s) {
        const std::string v(1, consoleMajor);
        return {" If device version is lower than the software version, only the device at version, HN338-V" +
                    v + ".01 to HN338-V" + v + ".99, can be connected with this software.",
                "设备版本比PC软件版本号低，只有版本号为“HN338-V" + v + ".01到HN338-V" + v +
                    ".99”之间的设备才能和该版本的PC软件连接。"};
    }
    const std::string v(1, deviceMajor);
    return {" If software version is lower than the device version, only the software at version, PHN338-V" +
                v + ".01 to PHN338-V" + v + ".99, can be connected with this device.",
            "PC软件版本比设备版本号低，只有版本号为“PHN338-V" + v + ".01到PHN338-V" + v +
                ".99”之间的PC软件才能和该版本的设备连接。"};
}

} // namespace ovix
