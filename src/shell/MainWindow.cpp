#include "MainWindow.h"

#include "playlists/gui/ItemHint.h"
#include "playlists/gui/ListEditingPart.h"
#include "playlists/gui/PlayingPart.h"
#include "playlists/gui/SongListView.h"
#include "playlists/gui/ToolBarButton.h"

#include "collection/gui/CollectionPart.h"
#include "collection/gui/CopyToFolderPart.h"
#include "collection/gui/MissingSongsPart.h"
#include "common/TrackedDialogs.h"
#include "platform/gui/WindowFrame.h"
#include "playlists/PlaylistListModel.h"
#include "playlists/SongListModel.h"
#include "settings/InstanceIni.h"
#include "settings/RegistrySettings.h"
#include "settings/Settings.h"
#include "settings/gui/HintSwitch.h"
#include "settings/gui/OptionsPart.h"
#include "settings/gui/PreferencesDialog.h"
#include "startup/IniPathChoice.h"
#include "startup/gui/HandOffPart.h"
#include "startup/gui/PresencePart.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QLayout>
#include <QListView>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

MainWindow::MainWindow(ProgramContext context, QWidget* parent)
    : QMainWindow(parent), trackedDialogs_(std::make_unique<TrackedDialogs>(context.dialogs)),
      context_{context.settings, *trackedDialogs_,    context.hints,
               context.playing,  context.programPath, context.parameters},
      playlists_(std::make_unique<PlaylistListModel>()), songs_(std::make_unique<SongListModel>()) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Platterbox"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/platterbox.svg")));
    resize(471, 340);
    createToolBar();
    createLists();
    createListsMenu();
    playing_ = std::make_unique<PlayingPart>(*this);
    editing_ = std::make_unique<ListEditingPart>(*this);
    collection_ = std::make_unique<CollectionPart>(*this);
    missingSongs_ = std::make_unique<MissingSongsPart>(*this);
    copyToFolder_ = std::make_unique<CopyToFolderPart>(*this);
    options_ = std::make_unique<OptionsPart>(*this);
    presence_ = std::make_unique<PresencePart>(*this);
    handOff_ = std::make_unique<HandOffPart>(*this);
    connectCommands();
    hintTimer_ = new QTimer(this);
    // Only while a hint is up, to see the pointer leave (moves over the items update it at
    // once); each look costs the program a wake-up.
    hintTimer_->setInterval(100);
    hint_ = new ItemHint(this);
    connect(hintTimer_, &QTimer::timeout, this, &MainWindow::refreshHint);
    // The icon placement (taskbar button or not) is applied once the position is set: a
    // native window made before the move would take the position for the client area's.
    readSettings();
}

MainWindow::~MainWindow() {
    // The views go before the models they show; the last events of a view being destroyed
    // (a Leave when the pointer is over it) must not reach this half-destroyed window.
    for (QListView* view : {playlistView_, songView_}) {
        view->removeEventFilter(this);
        view->viewport()->removeEventFilter(this);
    }
    delete splitter_;
}

bool MainWindow::isAskingUser() const {
    return trackedDialogs_->isOpen();
}

QToolButton* MainWindow::addToolButton(const QString& name, const QString& caption,
                                       const QString& hint, const QString& icon) {
    auto* button = new ToolBarButton(QSize(ToolButtonWidth, ToolButtonHeight), toolBar_);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    // Read out even when hints are switched off.
    button->setAccessibleName(caption);
    button->setAccessibleDescription(hint);
    button->setIcon(QIcon(QLatin1String(":/icons/") + icon + QLatin1String(".svg")));
    toolBar_->addWidget(button);
    return button;
}

void MainWindow::createToolBar() {
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("mainToolBar"));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    toolBar_->setContentsMargins(0, 0, 0, 0);
    toolBar_->layout()->setSpacing(0);
    toolBar_->layout()->setContentsMargins(0, 0, 0, 0);
    addToolBar(Qt::TopToolBarArea, toolBar_);

    executeButton_ =
        addToolButton(QStringLiteral("executeButton"), QStringLiteral("Execute"),
                      QStringLiteral("Execute selected playlists with command set in Options menu"),
                      QStringLiteral("execute"));
    addButton_ = addToolButton(QStringLiteral("addPlaylistsButton"), QStringLiteral("Add"),
                               QStringLiteral("Add playlists to list"), QStringLiteral("add"));
    removeButton_ = addToolButton(QStringLiteral("removePlaylistsButton"), QStringLiteral("Remove"),
                                  QStringLiteral("Remove selected playlists from the list"),
                                  QStringLiteral("remove"));
    createButton_ =
        addToolButton(QStringLiteral("createPlaylistsButton"), QStringLiteral("Create"),
                      QStringLiteral("Automatically create playlists for found music files"),
                      QStringLiteral("create"));
    mp3CdButton_ = addToolButton(QStringLiteral("mp3CdButton"), QStringLiteral("MP3CD"),
                                 QStringLiteral("MP3CD creation wizard"), QStringLiteral("mp3cd"));
    optionsButton_ =
        addToolButton(QStringLiteral("optionsButton"), QStringLiteral("Options"),
                      QStringLiteral("Set program's options"), QStringLiteral("options"));
    helpButton_ =
        addToolButton(QStringLiteral("helpButton"), QStringLiteral("Help"),
                      QStringLiteral("Display a small help window"), QStringLiteral("help"));
}

QListView* MainWindow::createListView(const QString& name, QListView* view) {
    view->setObjectName(name);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setMinimumHeight(ListMinimumHeight);
    // Every row has the same height, so a list of a million songs lays out at once.
    view->setUniformItemSizes(true);
    view->setMouseTracking(true);
    view->viewport()->setMouseTracking(true);
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
    return view;
}

void MainWindow::createLists() {
    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName(QStringLiteral("listSplitter"));
    splitter_->setHandleWidth(4);
    splitter_->setChildrenCollapsible(false);
    splitter_->setOpaqueResize(true);
    playlistView_ = createListView(QStringLiteral("playlistView"), new QListView(splitter_));
    auto* songView = new SongListView(splitter_);
    songView_ = createListView(QStringLiteral("songView"), songView);
    connect(songView, &SongListView::firstVisibleRowChanged, songs_.get(),
            &SongListModel::setFirstVisibleRow);
    playlistView_->setAccessibleName(QStringLiteral("Playlists"));
    songView_->setAccessibleName(QStringLiteral("Songs"));
    // Each view makes and owns its selection model.
    playlistView_->setModel(playlists_.get());
    songView_->setModel(songs_.get());
    playlistView_->setAcceptDrops(true);
    playlistView_->viewport()->setAcceptDrops(true);
    // Only the playlist box keeps its height when the window is resized.
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    setCentralWidget(splitter_);
    // The lists come first, so the window opens with the playlists focused and Enter plays
    // them; Tab then goes on to the songs and the toolbar.
    QWidget* previous = songView_;
    for (QWidget* button : toolBar_->findChildren<ToolBarButton*>()) {
        setTabOrder(previous, button);
        previous = button;
    }
    setTabOrder(playlistView_, songView_);
    playlistView_->setFocus();
    connect(playlistView_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &MainWindow::playlistFocusChanged);
    connect(playlists_.get(), &QAbstractItemModel::rowsRemoved, this,
            &MainWindow::updateToolButtons);
}

QAction* MainWindow::addMenuItem(const QString& name, const QString& caption,
                                 const QString& shortcut, const QString& icon) {
    auto* item = new QAction(
        caption + (shortcut.isEmpty() ? QString() : QLatin1Char('\t') + shortcut), listsMenu_);
    item->setObjectName(name);
    if (!icon.isEmpty())
        item->setIcon(QIcon(QLatin1String(":/icons/") + icon + QLatin1String(".svg")));
    // The keys work through the window's key handler; the menu merely shows them.
    item->setShortcutContext(Qt::WidgetShortcut);
    listsMenu_->addAction(item);
    return item;
}

void MainWindow::createListsMenu() {
    listsMenu_ = new QMenu(this);
    listsMenu_->setObjectName(QStringLiteral("listsMenu"));
    const QString enter = QStringLiteral("Enter");
    const QString f2 = QStringLiteral("F2");
    const QString shiftDel = QStringLiteral("Shift+Del");
    menu_.executePlaylists = addMenuItem(QStringLiteral("executePlaylistsAction"),
                                         QStringLiteral("&Execute Selected PlayLists"), enter,
                                         QStringLiteral("execute"));
    menu_.executeSongs =
        addMenuItem(QStringLiteral("executeSongsAction"), QStringLiteral("E&xecute Selected Songs"),
                    enter, QStringLiteral("execute"));
    // Each is the bold default item whenever it shows; measured in bold too, the widest item
    // keeps the gap before its shortcut.
    for (QAction* item : {menu_.executePlaylists, menu_.executeSongs}) {
        QFont bold = listsMenu_->font();
        bold.setBold(true);
        item->setFont(bold);
    }
    listsMenu_->addSeparator()->setObjectName(QStringLiteral("executeSeparator"));
    menu_.selectAll = addMenuItem(QStringLiteral("selectAllAction"), QStringLiteral("Select &All"),
                                  QStringLiteral("Alt+A"), QString());
    menu_.sortPlaylists =
        addMenuItem(QStringLiteral("sortPlaylistsAction"), QStringLiteral("&Sort PlayLists"),
                    QStringLiteral("Alt+S"), QStringLiteral("sort"));
    menu_.sortSongs = addMenuItem(QStringLiteral("sortSongsAction"), QStringLiteral("&Sort Songs"),
                                  QStringLiteral("Alt+S"), QStringLiteral("sort"));
    menu_.movePlaylistsUp = addMenuItem(QStringLiteral("moveUpAction"), QStringLiteral("Move &Up"),
                                        QStringLiteral("Ctrl+Up"), QString());
    menu_.movePlaylistsDown =
        addMenuItem(QStringLiteral("moveDownAction"), QStringLiteral("Move Do&wn"),
                    QStringLiteral("Ctrl+Down"), QString());
    listsMenu_->addSeparator()->setObjectName(QStringLiteral("orderSeparator"));
    menu_.addPlaylists =
        addMenuItem(QStringLiteral("addPlaylistsAction"), QStringLiteral("&Add Playlists"),
                    QStringLiteral("Ins"), QStringLiteral("add"));
    menu_.createPlaylists =
        addMenuItem(QStringLiteral("createPlaylistsAction"), QStringLiteral("&Create Playlists"),
                    QStringLiteral("Shift+Ins"), QStringLiteral("create"));
    menu_.editItem = addMenuItem(QStringLiteral("editItemAction"),
                                 QStringLiteral("&Edit Item Name"), f2, QStringLiteral("edit"));
    menu_.editPlaylistName =
        addMenuItem(QStringLiteral("editPlaylistNameAction"),
                    QStringLiteral("&Edit Playlist FileName"), f2, QStringLiteral("edit"));
    menu_.removePlaylists =
        addMenuItem(QStringLiteral("removePlaylistsAction"), QStringLiteral("&Remove Playlists"),
                    QStringLiteral("Del"), QStringLiteral("remove"));
    menu_.deletePlaylists =
        addMenuItem(QStringLiteral("deletePlaylistsAction"), QStringLiteral("&Delete Playlists"),
                    shiftDel, QStringLiteral("delete"));
    menu_.removeItems =
        addMenuItem(QStringLiteral("removeItemsAction"), QStringLiteral("&Remove Items"), shiftDel,
                    QStringLiteral("remove"));
    listsMenu_->addSeparator()->setObjectName(QStringLiteral("findSeparator"));
    menu_.findMissingSongs = addMenuItem(QStringLiteral("findMissingSongsAction"),
                                         QStringLiteral("Find Missing Songs..."), QString(),
                                         QStringLiteral("findfolder"));
    listsMenu_->addSeparator()->setObjectName(QStringLiteral("copySeparator"));
    menu_.copyToFolder = addMenuItem(QStringLiteral("copyToFolderAction"),
                                     QStringLiteral("Copy to Folder..."), QString(), QString());
    connect(listsMenu_, &QMenu::aboutToShow, this, &MainWindow::updateListsMenu);
}

void MainWindow::connectCommands() {
    const auto on = [this](auto* sender, auto signal, auto command) {
        connect(sender, signal, this, command);
    };
    using Button = QToolButton;
    on(executeButton_, &Button::clicked, [this] { execute(List::Playlists); });
    on(addButton_, &Button::clicked, [this] { collection_->addPlaylists(); });
    on(removeButton_, &Button::clicked, [this] { collection_->removePlaylists(false); });
    on(createButton_, &Button::clicked, [this] { collection_->createPlaylists(); });
    on(mp3CdButton_, &Button::clicked, [this] { collection_->makeMp3Cd(); });
    on(optionsButton_, &Button::clicked, [this] { options_->showOptions(); });
    on(helpButton_, &Button::clicked, [this] { Q_EMIT helpRequested(); });

    const auto item = [this](QAction* action, auto command) {
        connect(action, &QAction::triggered, this, command);
    };
    item(menu_.executePlaylists, [this] { execute(List::Playlists); });
    item(menu_.executeSongs, [this] { execute(List::Songs); });
    item(menu_.selectAll, [this] { selectAll(focusedList()); });
    item(menu_.sortPlaylists, [this] { editing_->sortPlaylists(); });
    item(menu_.sortSongs, [this] { editing_->sortSongs(); });
    item(menu_.movePlaylistsUp, [this] { editing_->moveSelectedPlaylists(-1); });
    item(menu_.movePlaylistsDown, [this] { editing_->moveSelectedPlaylists(1); });
    // The item shows the Insert key, so it does what that key does.
    item(menu_.addPlaylists, [this] { collection_->addPlaylists(); });
    item(menu_.createPlaylists, [this] { collection_->createPlaylists(); });
    item(menu_.editItem, [this] { editing_->editSong(); });
    item(menu_.editPlaylistName, [this] { editing_->renamePlaylist(); });
    item(menu_.removePlaylists, [this] { collection_->removePlaylists(false); });
    item(menu_.deletePlaylists, [this] { collection_->removePlaylists(true); });
    item(menu_.removeItems, [this] { editing_->removeSongs(); });
    item(menu_.findMissingSongs,
         [this] { missingSongs_->findMissingSongs(focusedList() == List::Songs); });
    item(menu_.copyToFolder, [this] { copyToFolder_->copySelectedPlaylists(); });
}

namespace {
// A stored position from another screen layout, or pushed up by an older version, must not
// leave the title bar out of reach.
QPoint reachablePosition(const QPoint& stored, int width) {
    const QScreen* screen = QGuiApplication::screenAt(stored + QPoint(width / 2, 0));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return stored;
    const QRect area = screen->availableGeometry();
    constexpr int Grip = 50; // of the title bar left to take hold of
    return {qBound(area.left() - width + Grip, stored.x(), area.right() - Grip),
            qBound(area.top(), stored.y(), area.bottom() - Grip)};
}
} // namespace

void MainWindow::readSettings() {
    Settings& settings = context_.settings;
    setMinimumWidth(7 * ToolButtonWidth + (frameGeometry().width() - width()));

    bool hints = context_.hints.enabled();
    loadRegistrySettings(settings, hints);
    context_.hints.setEnabled(hints);

    resize(settings.window.width, settings.window.height);
    WindowFrame::placeAt(*this, reachablePosition(QPoint(settings.window.left, settings.window.top),
                                                  settings.window.width));
    const int listHeight = qMax(ListMinimumHeight, settings.window.playlistListHeight);
    splitter_->setSizes({listHeight, qMax(ListMinimumHeight, height() - listHeight)});

    currentIniPath_ = chooseIniPath(context_.parameter(1), context_.programPath);
    loadIniFile(currentIniPath_);
    presence_->applyIconPlacement();
    presence_->startAutoPlay();
}

void MainWindow::terminate() {
    if (closing_ || QApplication::activeModalWidget()) {
        trackedDialogs_->endInteraction();
        // The topmost first: a box may sit on a dialog.
        while (QWidget* modal = QApplication::activeModalWidget()) {
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->done(QDialog::Rejected);
            else
                modal->close();
            if (QApplication::activeModalWidget() == modal)
                break; // it refuses to go
        }
    }
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!closing_) {
        closing_ = true;
        saveOnClose();
    }
    event->accept();
}

void MainWindow::saveOnClose() {
    Settings& settings = context_.settings;
    const QPoint corner = WindowFrame::corner(*this);
    settings.window.top = corner.y();
    settings.window.left = corner.x();
    settings.window.width = width();
    settings.window.height = height();
    settings.window.playlistListHeight = playlistView_->height();
    // A refused registry write does not keep the program open: that would only lose the
    // playlists at the next try.
    if (settings.preferences.saveIniOnClose)
        options_->saveSettings();
    Q_EMIT terminationRequested();
}

void MainWindow::updateToolButtons() {
    const bool any = playlists_->count() > 0;
    removeButton_->setEnabled(any);
    executeButton_->setEnabled(any);
}

void MainWindow::appendPlaylists(const QList<QByteArray>& paths) {
    const int first = playlists_->count();
    playlists_->append(paths);
    playlistSelection().selectRange(first, playlists_->count() - 1);
    focusPlaylist(playlists_->count() - 1);
    updateToolButtons();
}

void MainWindow::loadIniFile(const QString& path) {
    Settings loaded = context_.settings;
    QList<QByteArray> paths;
    readInstanceIni(path, loaded, paths, context_.dialogs, PlaylistSpelling::AsWritten);
    // A hand-edited file may hold any delay; 0 or an overflowing one would never close.
    int& closeDelay = loaded.preferences.closeDelaySeconds;
    closeDelay = qBound(PreferencesDialog::SpinMinimum, closeDelay, PreferencesDialog::SpinMaximum);
    context_.settings = loaded;
    playlists_->replaceAll(paths);
    if (playlists_->count() > 0)
        playlistSelection().select(0);
    focusPlaylist(playlists_->count() > 0 ? 0 : -1);
    updateToolButtons();
}

void MainWindow::bringUp() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    presence_->applyIconPlacement();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        presence_->windowStateChanged(static_cast<QWindowStateChangeEvent*>(event)->oldState());
}

void MainWindow::execute(List list) {
    if (list == List::Songs)
        playing_->executeSongs();
    else
        playing_->executePlaylists();
}

void MainWindow::popupListsMenu(const QPoint& globalPosition) {
    listsMenu_->popup(globalPosition);
}

void MainWindow::updateListsMenu() {
    const bool pl = focusedList() == List::Playlists;
    const QAbstractItemView* view = listView(focusedList());
    const bool sel = view->selectionModel()->hasSelection();
    const bool items = view->model()->rowCount() > 0;
    struct State {
        QAction* item;
        bool visible;
        bool enabled;
    };
    const State states[] = {
        {menu_.executePlaylists, pl, pl && sel},
        {menu_.executeSongs, !pl, !pl && sel},
        {menu_.selectAll, true, items},
        {menu_.sortPlaylists, pl, pl && items},
        {menu_.sortSongs, !pl, !pl && items},
        {menu_.movePlaylistsUp, pl, pl && editing_->canMoveSelectedPlaylists(-1)},
        {menu_.movePlaylistsDown, pl, pl && editing_->canMoveSelectedPlaylists(1)},
        {menu_.addPlaylists, pl, true},
        {menu_.createPlaylists, pl, true},
        {menu_.editPlaylistName, pl, pl && items},
        {menu_.editItem, !pl, !pl && items},
        {menu_.removePlaylists, pl, pl && sel},
        {menu_.deletePlaylists, pl, pl && sel},
        {menu_.removeItems, !pl, !pl && sel},
        {menu_.findMissingSongs, true, pl ? sel : items},
        {menu_.copyToFolder, pl, pl && sel},
    };
    for (const State& state : states) {
        state.item->setVisible(state.visible);
        state.item->setEnabled(state.enabled);
    }
    listsMenu_->setDefaultAction(pl ? menu_.executePlaylists : menu_.executeSongs);
}
