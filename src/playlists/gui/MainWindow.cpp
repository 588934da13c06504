#include "MainWindow.h"

#include "ToolBarButton.h"

#include "common/PathRules.h"
#include "common/UserDialogs.h"
#include "platform/gui/TaskbarButton.h"
#include "startup/gui/TrayIcon.h"
#include "settings/InstanceIni.h"
#include "settings/RegistrySettings.h"
#include "settings/gui/HintSwitch.h"
#include "startup/IniPathChoice.h"

#include <QCloseEvent>
#include <QLayout>
#include <QListWidget>
#include <QMenu>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

MainWindow::MainWindow(ProgramContext context, QWidget* parent)
    : QMainWindow(parent), context_(std::move(context)) {
    setObjectName(QStringLiteral("TfrmPlatterboxMain"));
    setWindowTitle(QStringLiteral("Platterbox"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/platterbox.svg")));
    createComponents();
    // No taskbar button until the icon placement asks for one.
    TaskbarButton::setVisible(this, false);
    FormCreate();
}

MainWindow::~MainWindow() = default;

void MainWindow::createComponents() {
    resize(471, 340);
    createToolBar();
    createLists();
    createPopupMenus();
    createTimers();
    createTrayIcon();
}

QToolButton* MainWindow::addToolButton(const QString& name, const QString& caption,
                                       const QString& hint, const QString& icon) {
    auto* button = new ToolBarButton(QSize(ToolButtonWidth, ToolButtonHeight), MainToolBar);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    button->setIcon(QIcon(QLatin1String(":/icons/") + icon + QLatin1String(".svg")));
    MainToolBar->addWidget(button);
    return button;
}

void MainWindow::createToolBar() {
    MainToolBar = new QToolBar(this);
    MainToolBar->setObjectName(QStringLiteral("MainToolBar"));
    MainToolBar->setMovable(false);
    MainToolBar->setFloatable(false);
    MainToolBar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    MainToolBar->setContentsMargins(0, 0, 0, 0);
    MainToolBar->layout()->setSpacing(0);
    MainToolBar->layout()->setContentsMargins(0, 0, 0, 0);
    addToolBar(Qt::TopToolBarArea, MainToolBar);

    btnExecute = addToolButton(QStringLiteral("btnExecute"), QStringLiteral("Execute"),
                               QStringLiteral("Execute selected playlists with command set in "
                                              "Options menu"),
                               QStringLiteral("execute"));
    btnAddPL = addToolButton(QStringLiteral("btnAddPL"), QStringLiteral("Add"),
                             QStringLiteral("Add playlists to list"), QStringLiteral("add"));
    btnRemovePL = addToolButton(QStringLiteral("btnRemovePL"), QStringLiteral("Remove"),
                                QStringLiteral("Remove selected playlists from the list"),
                                QStringLiteral("remove"));
    btnCreatePL = addToolButton(QStringLiteral("btnCreatePL"), QStringLiteral("Create"),
                                QStringLiteral("Automatically create playlists for found music "
                                               "files"),
                                QStringLiteral("create"));
    btnMP3CD = addToolButton(QStringLiteral("btnMP3CD"), QStringLiteral("MP3CD"),
                             QStringLiteral("MP3CD creation wizard"), QStringLiteral("mp3cd"));
    btnOptions = addToolButton(QStringLiteral("btnOptions"), QStringLiteral("Options"),
                               QStringLiteral("Set program's options"), QStringLiteral("options"));
    btnAbout = addToolButton(QStringLiteral("btnAbout"), QStringLiteral("Help"),
                             QStringLiteral("Display a small help window"), QStringLiteral("help"));

    connect(btnExecute, &QToolButton::clicked, this, [this] { btnExecuteClick(btnExecute); });
    connect(btnAbout, &QToolButton::clicked, this, &MainWindow::btnAboutClick);
    connect(btnAddPL, &QToolButton::clicked, this, &MainWindow::btnAddPLClick);
    connect(btnRemovePL, &QToolButton::clicked, this, [this] { btnRemovePLClick(btnRemovePL); });
    connect(btnCreatePL, &QToolButton::clicked, this, &MainWindow::btnCreatePLClick);
    connect(btnMP3CD, &QToolButton::clicked, this, &MainWindow::btnMP3CDClick);
    connect(btnOptions, &QToolButton::clicked, this, &MainWindow::btnOptionsClick);
}

void MainWindow::createLists() {
    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(4);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->setOpaqueResize(true);

    for (QListWidget** list : {&lbPlayLists, &lbMP3Songs}) {
        *list = new QListWidget(Splitter1);
        (*list)->setSelectionMode(QAbstractItemView::ExtendedSelection);
        (*list)->setMinimumHeight(ListMinimumHeight);
        (*list)->setUniformItemSizes(true);
        (*list)->setMouseTracking(true);
        (*list)->viewport()->setMouseTracking(true);
        (*list)->installEventFilter(this);
        (*list)->viewport()->installEventFilter(this);
    }
    lbPlayLists->setObjectName(QStringLiteral("lbPlayLists"));
    lbMP3Songs->setObjectName(QStringLiteral("lbMP3Songs"));
    lbPlayLists->setToolTip(QStringLiteral("-"));
    lbPlayLists->setAcceptDrops(true);
    lbPlayLists->viewport()->setAcceptDrops(true);
    // Only the playlist box keeps its height when the window is resized.
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    setCentralWidget(Splitter1);
}

QAction* MainWindow::addMenuItem(const QString& name, const QString& caption,
                                 const QString& shortcut, const QString& icon) {
    auto* item = new QAction(
        caption + (shortcut.isEmpty() ? QString() : QLatin1Char('\t') + shortcut), popupLists);
    item->setObjectName(name);
    if (!icon.isEmpty())
        item->setIcon(QIcon(QLatin1String(":/icons/") + icon + QLatin1String(".svg")));
    // The keys work through FormKeyDown only; the menu merely shows them.
    item->setShortcutContext(Qt::WidgetShortcut);
    popupLists->addAction(item);
    return item;
}

void MainWindow::createPopupMenus() {
    createListsMenu();
    connectListsMenu();
    createTrayMenu();
}

void MainWindow::createListsMenu() {
    popupLists = new QMenu(this);
    popupLists->setObjectName(QStringLiteral("popupLists"));
    const QString enter = QStringLiteral("Enter");
    miExecutePL =
        addMenuItem(QStringLiteral("miExecutePL"), QStringLiteral("&Execute Selected PlayLists"),
                    enter, QStringLiteral("execute"));
    miExecuteSongs =
        addMenuItem(QStringLiteral("miExecuteSongs"), QStringLiteral("E&xecute Selected Songs"),
                    enter, QStringLiteral("execute"));
    popupLists->addSeparator()->setObjectName(QStringLiteral("N1"));
    miSelectAll = addMenuItem(QStringLiteral("miSelectAll"), QStringLiteral("Select &All"),
                              QStringLiteral("Alt+A"), QString());
    miSortPL = addMenuItem(QStringLiteral("miSortPL"), QStringLiteral("&Sort PlayLists"),
                           QStringLiteral("Alt+S"), QStringLiteral("sort"));
    miSortSongs = addMenuItem(QStringLiteral("miSortSongs"), QStringLiteral("&Sort Songs"),
                              QStringLiteral("Alt+S"), QStringLiteral("sort"));
    popupLists->addSeparator()->setObjectName(QStringLiteral("N2"));
    miAddPL = addMenuItem(QStringLiteral("miAddPL"), QStringLiteral("&Add Playlists"),
                          QStringLiteral("Ins"), QStringLiteral("add"));
    miCreatePL = addMenuItem(QStringLiteral("miCreatePL"), QStringLiteral("&Create Playlists"),
                             QStringLiteral("Shift+Ins"), QStringLiteral("create"));
    miEditItem = addMenuItem(QStringLiteral("miEditItem"), QStringLiteral("&Edit Item Name"),
                             QStringLiteral("F2"), QStringLiteral("edit"));
    miEditPLfn =
        addMenuItem(QStringLiteral("miEditPLfn"), QStringLiteral("&Edit Playlist FileName"),
                    QStringLiteral("F2"), QStringLiteral("edit"));
    miRemovePL = addMenuItem(QStringLiteral("miRemovePL"), QStringLiteral("&Remove Playlists"),
                             QStringLiteral("Del"), QStringLiteral("remove"));
    miDeletePL = addMenuItem(QStringLiteral("miDeletePL"), QStringLiteral("&Delete Playlists"),
                             QStringLiteral("Shift+Del"), QStringLiteral("delete"));
    miRemoveItems = addMenuItem(QStringLiteral("miRemoveItems"), QStringLiteral("&Remove Items"),
                                QStringLiteral("Shift+Del"), QStringLiteral("remove"));
}

void MainWindow::connectListsMenu() {
    connect(popupLists, &QMenu::aboutToShow, this, &MainWindow::popupListsPopup);
    connect(miExecutePL, &QAction::triggered, this, [this] { btnExecuteClick(miExecutePL); });
    connect(miExecuteSongs, &QAction::triggered, this, [this] { btnExecuteClick(miExecuteSongs); });
    connect(miSelectAll, &QAction::triggered, this, &MainWindow::miSelectAllClick);
    connect(miSortPL, &QAction::triggered, this, [this] { miSortClick(miSortPL); });
    connect(miSortSongs, &QAction::triggered, this, [this] { miSortClick(miSortSongs); });
    // The item shows the Insert key, so it does what that key does.
    connect(miAddPL, &QAction::triggered, this, &MainWindow::btnAddPLClick);
    connect(miCreatePL, &QAction::triggered, this, &MainWindow::btnCreatePLClick);
    connect(miEditItem, &QAction::triggered, this, [this] { miEditClick(miEditItem); });
    connect(miEditPLfn, &QAction::triggered, this, [this] { miEditClick(miEditPLfn); });
    connect(miRemovePL, &QAction::triggered, this, [this] { btnRemovePLClick(miRemovePL); });
    connect(miDeletePL, &QAction::triggered, this, [this] { btnRemovePLClick(miDeletePL); });
    connect(miRemoveItems, &QAction::triggered, this, &MainWindow::miRemoveItemsClick);
}

void MainWindow::createTrayMenu() {
    popupSystemTray = new QMenu(this);
    popupSystemTray->setObjectName(QStringLiteral("popupSystemTray"));
    Restore1 = popupSystemTray->addAction(QStringLiteral("Restore"));
    Restore1->setObjectName(QStringLiteral("Restore1"));
    QFont bold = Restore1->font();
    bold.setBold(true);
    Restore1->setFont(bold);
    popupSystemTray->setDefaultAction(Restore1);
    popupSystemTray->addSeparator();
    Exit1 = popupSystemTray->addAction(QStringLiteral("E&xit"));
    Exit1->setObjectName(QStringLiteral("Exit1"));
    connect(Exit1, &QAction::triggered, this, &MainWindow::timerSuicideTimer);
}

void MainWindow::createTimers() {
    timerAutoPlayOnce = new QTimer(this);
    timerAutoPlayOnce->setObjectName(QStringLiteral("timerAutoPlayOnce"));
    timerAutoPlayOnce->setInterval(100);
    connect(timerAutoPlayOnce, &QTimer::timeout, this, &MainWindow::timerAutoPlayOnceTimer);
    timerSuicide = new QTimer(this);
    timerSuicide->setObjectName(QStringLiteral("timerSuicide"));
    timerSuicide->setInterval(5000);
    connect(timerSuicide, &QTimer::timeout, this, &MainWindow::timerSuicideTimer);
    hintTimer_ = new QTimer(this);
    hintTimer_->setInterval(100);
    connect(hintTimer_, &QTimer::timeout, this, &MainWindow::refreshHint);
}

void MainWindow::FormCreate() {
    TSharedVariables& vars = context_.vars;
    vars.PlayLists.clear();
    setMinimumWidth(7 * ToolButtonWidth + (frameGeometry().width() - width()));

    bool hints = context_.hints.enabled();
    LoadRegistrySettings(vars, hints);
    context_.hints.setEnabled(hints);

    move(vars.frmMain_Left, vars.frmMain_Top);
    resize(vars.frmMain_Width, vars.frmMain_Height);
    const int listHeight = qMax(ListMinimumHeight, vars.frmMain_lbPlayLists_Height);
    Splitter1->setSizes({listHeight, qMax(ListMinimumHeight, height() - listHeight)});

    currentIniPath_ = ChooseIniPath(context_.parameter(1), context_.programPath);
    LoadIniFile(currentIniPath_, vars, context_.dialogs);
    FillPlayListBox();
    UpdateToolButtons();
    ApplyIconPlacement();
    timerAutoPlayOnce->start();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!closing_) {
        closing_ = true;
        FormClose();
    }
    event->accept();
}

void MainWindow::FormClose() {
    TSharedVariables& vars = context_.vars;
    vars.frmMain_Top = y();
    vars.frmMain_Left = x();
    vars.frmMain_Width = width();
    vars.frmMain_Height = height();
    vars.frmMain_lbPlayLists_Height = lbPlayLists->height();
    // A refused registry write does not keep the program open: that would only lose the
    // playlists at the next try.
    if (vars.dlgPreferences.cbSaveIni_Checked)
        saveSettings();
    Q_EMIT terminationRequested();
}

void MainWindow::saveSettings() {
    bool hints = context_.hints.enabled();
    if (Status saved = SaveRegistrySettings(context_.vars, hints); saved.failed())
        context_.dialogs.showMessage(saved.message());
    SaveIniFile(currentIniPath_, context_.vars, context_.dialogs);
}

void MainWindow::UpdateToolButtons() {
    const bool any = lbPlayLists->count() > 0;
    btnRemovePL->setEnabled(any);
    btnExecute->setEnabled(any);
}

void MainWindow::AddPlayListItem(const QString& path) {
    if (!path.isEmpty()) {
        context_.vars.PlayLists.append(path);
        auto* item = new QListWidgetItem(ExtractFileName(path), lbPlayLists);
        item->setSelected(true);
        return;
    }
    if (lbPlayLists->count() > 0) {
        lbPlayLists->setCurrentRow(lbPlayLists->count() - 1, QItemSelectionModel::NoUpdate);
        lbPlayListsClick();
    }
}

void MainWindow::FillPlayListBox() {
    for (const QString& path : std::as_const(context_.vars.PlayLists))
        lbPlayLists->addItem(ExtractFileName(path));
    if (lbPlayLists->count() > 0) {
        lbPlayLists->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        lbPlayLists->item(0)->setSelected(true);
        lbPlayListsClick();
    }
}

void MainWindow::btnAboutClick() {
    Q_EMIT helpRequested();
}

QString MainWindow::focusedPlayListPath() const {
    const int row = lbPlayLists->currentRow();
    return row >= 0 ? context_.vars.PlayLists.value(row) : QString();
}
