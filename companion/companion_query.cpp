#include "companion/companion_query.h"

#include "net/http_client.h"

namespace qvpc {

std::string CompanionQuery(const std::string& boxIp, int action, int timeoutSeconds) {
    const char* word = nullptr;
    switch (action) {
        case kGetVersion:
            word = "getversion";
            break;
        case kGetList:
            word = "getlist";
            break;
        case kGetType:
            word = "gettype";
            break;
        default:
            return {};
    }
    return HttpClient::get("http://" + boxIp + ":8988/?a=" + word, timeoutSeconds);
}

}  // namespace qvpc
