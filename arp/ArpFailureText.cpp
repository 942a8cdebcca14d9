#include "arp/ArpFailureText.h"

#include "platform/NetTypes.h"

namespace qv {

std::string ArpFailureText(std::uint32_t result)
{
    switch (result) {
    case ERROR_BAD_NET_NAME_CODE:
        return "无应答";
    case ERROR_NOT_FOUND_CODE:
        return "源地址不是本机地址";
    case ERROR_NETWORK_UNREACHABLE_CODE:
        return "目标不在本地链路上";
    case ERROR_ACCESS_DENIED_CODE:
        return "没有发送权限";
    case ERROR_INVALID_PARAMETER_CODE:
        return "目标不是单播地址";
    case ERROR_NOT_SUPPORTED_CODE:
        return "本系统不支持 ARP 请求";
    default:
        return "ARP 请求失败";
    }
}

} // namespace qv
