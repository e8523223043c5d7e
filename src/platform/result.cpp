#include "platform/result.h"

namespace tagwright {

std::string Error::Message() const {
    std::string text = "cannot " + op;
    if (!path.empty())
        text += " '" + path + "'";
    if (!reason.empty())
        text += ": " + reason;
    return text;
}

}  // namespace tagwright
