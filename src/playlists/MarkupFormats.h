#pragma once

#include "MarkupPlaylistReader.h"

// The XML playlist formats the program reads, told apart by their root element.
const MarkupRule* markupRuleOf(QByteArrayView text);
const MarkupRule* markupRuleOf(PlaylistFormat format);
