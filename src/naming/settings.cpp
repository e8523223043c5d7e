#include "naming/settings.h"

namespace tagwright {

ConversionTable StartConversionTable() {
    return ConversionTable{{
        {"\\", "_"},
        {"/", "\uFF0F"},
        {">", "\uFF1E"},
        {"<", "\uFF1C"},
        {"?", "\uFF1F"},
        {"\"", "\u201D"},
        {"|", "\uFF5C"},
        {"*", "\uFF0A"},
        {":", "\uFF1A"},
        {",", "\uFF0C"},
        {";", "\uFF1B"},
    }};
}

}  // namespace tagwright
