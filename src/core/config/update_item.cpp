#include "core/config/update_item.h"

namespace quibo {

std::string ItemSection(ItemKind kind, int index)
{
    return (kind == ItemKind::File ? "file" : "dir") + std::to_string(index);
}

}  // namespace quibo
