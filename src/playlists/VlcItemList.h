#pragma once

#include <QByteArray>
#include <QByteArrayView>

// VLC saves an XSPF with the playlist's own order in a list of its tracks' ids, which VLC
// shows instead of the order of the <track> elements:
//   <track>...<extension application="http://www.videolan.org/vlc/playlist/0">
//     <vlc:id>3</vlc:id></extension></track>
//   <extension application="http://www.videolan.org/vlc/playlist/0">
//     <vlc:item tid="3"/><vlc:node title="Album"><vlc:item tid="4"/></vlc:node></extension>
namespace VlcItemList {

// The edited text (`after`) with that list kept in step with its tracks: an item whose track
// was removed goes (with the blanks before it), and when the tracks were put in another order,
// the items of the list, and of each node within it, follow that order among their places.
// Every other byte stays; a text without the list, or not UTF-8, is returned as it is.
QByteArray inStep(QByteArrayView before, QByteArray after);

} // namespace VlcItemList
