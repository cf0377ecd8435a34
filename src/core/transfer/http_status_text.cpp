#include "core/transfer/http_status_text.h"

namespace quibo {

std::string HttpStatusMessage(int status)
{
    // The texts are fixed, blanks included: hosts and support staff match on them.
    switch (status) {
    case 400: return "Http错误400: 请求无效";
    case 401: return "Http错误401: 未授权";
    case 403: return "Http错误403: 禁止访问";
    case 404: return "Http错误404: 无法找到文件";
    case 405: return "Http错误405: 资源被禁止";
    case 406: return "Http错误406: 无法接受";
    case 407: return "Http错误407:  要求代理身份验证";
    case 414: return "Http错误414:  请求 - URI 太长";
    case 500: return "Http错误500:  内部服务器错误";
    case 501: return "Http错误501:  未实现";
    case 502: return "Http错误502:  网关错误";
    default: return {};
    }
}

}  // namespace quibo
