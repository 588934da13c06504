#include "MarkupFormats.h"

#include "AsxReader.h"
#include "WplReader.h"
#include "XspfReader.h"

#include <array>

namespace {
std::array<const MarkupRule*, 3> rules() {
    return {&XspfReader::rule(), &WplReader::rule(), &AsxReader::rule()};
}
} // namespace

const MarkupRule* markupRuleOf(QByteArrayView text) {
    const std::optional<QString> root = markupRootName(text);
    if (!root)
        return nullptr;
    for (const MarkupRule* rule : rules())
        if (root->compare(rule->root, rule->names) == 0)
            return rule;
    return nullptr;
}

const MarkupRule* markupRuleOf(PlaylistFormat format) {
    for (const MarkupRule* rule : rules())
        if (rule->format == format)
            return rule;
    return nullptr;
}
