#include "platform/agent/voices.h"

namespace agent {

std::string VoiceForLanguage(int languageId) {
    switch (languageId) {
        case 1033:
            return "en-us";
        case 2057:
            return "en-gb";
        case 1031:
            return "de";
        case 1036:
            return "fr";
        default:  // 1043 and 2067 among them
            return "nl";
    }
}

}  // namespace agent
