#include "app/editing_tools.h"
#include "app/error_guard.h"
#include "app/form_main.h"
#include "app/form_widgets.h"
#include "app/lockable_splitter.h"
#include "ui/image32.h"
#include "ui/img_view32.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <functional>
#include <memory>

namespace {

void paintBlack(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::Base, Qt::black);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// One of the three stacked option boxes, each holding one spinner.
QGroupBox *makeSpinnerBox(QWidget *parent, const QString &caption, QSpinBox *spinner)
{
    auto *box = new QGroupBox(caption, parent);
    box->setFixedSize(82, 32);
    spinner->setParent(box);
    spinner->setGeometry(3, 14, 76, 17);
    return box;
}

} // namespace

namespace {

// Tells once that the user pressed a button or a key or turned the wheel in
// the widgets it watches.
class FirstTouch : public QObject
{
public:
    FirstTouch(QObject *parent, std::function<void()> touched)
        : QObject(parent), m_touched(std::move(touched))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (m_touched && (type == QEvent::MouseButtonPress || type == QEvent::KeyPress ||
                          type == QEvent::Wheel)) {
            m_touched();
            m_touched = nullptr;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_touched;
};

} // namespace

void TFormMain::buildThumbsTab()
{
    TabSheet_Thumbs = new QWidget;
    TabSheet_Thumbs->setObjectName(QStringLiteral("TabSheet_Thumbs"));
    auto *tabLayout = new QVBoxLayout(TabSheet_Thumbs);
    tabLayout->setContentsMargins(0, 0, 0, 0);

    auto *back = new QFrame(TabSheet_Thumbs);
    back->setObjectName(QStringLiteral("pnlBackThumb"));
    back->setFrameStyle(QFrame::Panel | QFrame::Raised);
    tabLayout->addWidget(back);
    auto *backLayout = new QVBoxLayout(back);
    backLayout->setContentsMargins(2, 2, 2, 2);

    splitBack = new LockableSplitter(Qt::Horizontal, back);
    splitBack->setObjectName(QStringLiteral("splitBack"));
    splitBack->setHandleWidth(6);
    splitBack->setChildrenCollapsible(true);
    splitBack->setLockBar(true);
    backLayout->addWidget(splitBack);

    buildThumbsLeftPart(splitBack);
    buildThumbsRightPart(splitBack);
    splitBack->setSizes({560, 194});
    // A larger window gives the grid and preview three parts of its room and
    // the folder tree and file list one.
    splitBack->setStretchFactor(0, 3);
    splitBack->setStretchFactor(1, 1);

    PageControl->addTab(TabSheet_Thumbs, tr("Thumbs"));
}

void TFormMain::buildThumbsLeftPart(QWidget *parent)
{
    splitBackImage = new LockableSplitter(Qt::Vertical, parent);
    splitBackImage->setObjectName(QStringLiteral("splitBackImage"));
    splitBackImage->setHandleWidth(5);
    splitBackImage->setChildrenCollapsible(true);
    paintBlack(splitBackImage);

    auto *upper = new QWidget(splitBackImage);
    paintBlack(upper);
    auto *upperLayout = new QHBoxLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    upperLayout->setSpacing(0);

    auto *tools = new EditingTools(upper);
    pnlResizeImage = tools;
    pnlResizeImage->setObjectName(QStringLiteral("pnlResizeImage"));
    pnlResizeImage->setFixedWidth(70);
    pnlResizeImage->setAutoFillBackground(true);
    pnlResizeImage->hide();
    ZoomBar = tools->zoomBar;
    ScaleBar = tools->scaleBar;
    btnLL = tools->cropMode;
    btnSizeI = tools->frameWhole;
    btnSizeIm = tools->scaleToFrame;
    spinW = tools->frameWidth;
    btnVH = tools->turnFrame;
    spinH = tools->frameHeight;
    btnKant = tools->edgeFrame;
    btnCutImage = tools->cropAndSave;
    btnRestoreImage = tools->restore;
    btnPrevious = tools->previous;
    btnNext = tools->next;
    upperLayout->addWidget(pnlResizeImage);

    // The preview: the picture fitted into the pane, centred, drawn smoothly.
    ImageDest = new TImage32(upper);
    ImageDest->setObjectName(QStringLiteral("ImageDest"));
    ImageDest->setToolTip(tr("Thumbs space"));
    ImageDest->setScaleMode(smResize);
    ImageDest->setBitmapAlign(baCenter);
    ImageDest->setColor(Qt::black);
    ImageDest->bitmap().setStretchFilter(sfLinear);
    upperLayout->addWidget(ImageDest, 1);

    ImgR = new TImgView32(upper);
    ImgR->setObjectName(QStringLiteral("ImgR"));
    ImgR->hide();
    upperLayout->addWidget(ImgR, 1);

    auto *lower = new QWidget(splitBackImage);
    auto *lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->setSpacing(0);

    pnlViewer = new QWidget(lower);
    pnlViewer->setObjectName(QStringLiteral("pnlViewer"));
    pnlViewer->setFixedHeight(21);
    pnlViewer->setAutoFillBackground(true);
    auto *viewerLayout = new QHBoxLayout(pnlViewer);
    viewerLayout->setContentsMargins(2, 0, 2, 0);
    viewerLayout->setSpacing(2);
    lblCountThubs = makeLabel(pnlViewer, tr("thumns "), QStringLiteral("lblCountThubs"));
    viewerLayout->addWidget(lblCountThubs);

    pnlStatusRes = new QWidget(pnlViewer);
    pnlStatusRes->setObjectName(QStringLiteral("pnlStatusRes"));
    pnlStatusRes->setStyleSheet(QStringLiteral("QLabel { color: navy; font-weight: bold; }"));
    auto *statusLayout = new QHBoxLayout(pnlStatusRes);
    statusLayout->setContentsMargins(0, 0, 0, 0);
    statusLayout->setSpacing(3);
    lblZoom = makeLabel(pnlStatusRes, QStringLiteral("100%"), QStringLiteral("lblZoom"));
    lblImageSize = makeLabel(pnlStatusRes, QStringLiteral("0:0"), QStringLiteral("lblImageSize"));
    lblCurrentImage =
        makeLabel(pnlStatusRes, QStringLiteral("0"), QStringLiteral("lblCurrentImage"));
    lblCountImage = makeLabel(pnlStatusRes, QStringLiteral("0"), QStringLiteral("lblCountImage"));
    statusLayout->addWidget(makePicture(pnlStatusRes, QStringLiteral("zoom")));
    statusLayout->addWidget(lblZoom);
    statusLayout->addWidget(makePicture(pnlStatusRes, QStringLiteral("size")));
    statusLayout->addWidget(lblImageSize);
    statusLayout->addWidget(makeLabel(pnlStatusRes, tr("Image ")));
    statusLayout->addWidget(lblCurrentImage);
    statusLayout->addWidget(makeLabel(pnlStatusRes, tr("From")));
    statusLayout->addWidget(lblCountImage);
    pnlStatusRes->hide();
    viewerLayout->addWidget(pnlStatusRes);
    viewerLayout->addStretch(1);

    btnRedactImage =
        makeFlatButton(pnlViewer, QStringLiteral("btnRedactImage"),
                       tr("Change size and scrap of originals"), QStringLiteral("edit"));
    btnRedactImage->setEnabled(false);
    // The way back to the normal view from the other two, pictured like them.
    btnMiddle = makeFlatButton(pnlViewer, QStringLiteral("btnMiddle"), tr("Resore"),
                               QStringLiteral("normal_view"));
    btnViewThumbs = makeFlatButton(pnlViewer, QStringLiteral("btnViewThumbs"), tr("Full screen"),
                                   QStringLiteral("fullscreen"));
    btnViewThumbs->setEnabled(false);
    stpDestPSize = makeStatusPane(pnlViewer, QStringLiteral("stpDestPSize"), 63, true);
    for (QWidget *w :
         {static_cast<QWidget *>(btnRedactImage), static_cast<QWidget *>(btnMiddle),
          static_cast<QWidget *>(btnViewThumbs), static_cast<QWidget *>(stpDestPSize)}) {
        w->setFixedHeight(19);
        viewerLayout->addWidget(w);
    }
    lowerLayout->addWidget(pnlViewer);

    auto *gridRow = new QWidget(lower);
    auto *gridRowLayout = new QHBoxLayout(gridRow);
    gridRowLayout->setContentsMargins(0, 0, 0, 0);
    gridRowLayout->setSpacing(0);

    grbSetThumbTabl = new QWidget(gridRow);
    grbSetThumbTabl->setObjectName(QStringLiteral("grbSetThumbTabl"));
    grbSetThumbTabl->setFixedWidth(84);
    grbSetThumbTabl->setAutoFillBackground(true);
    auto *optionsLayout = new QVBoxLayout(grbSetThumbTabl);
    optionsLayout->setContentsMargins(1, 1, 1, 1);
    optionsLayout->setSpacing(1);
    spinCounCol =
        makeSpinner(grbSetThumbTabl, QStringLiteral("spinCounCol"), tr("Thumbs columns"), 1);
    spinMaxH = makeSpinner(grbSetThumbTabl, QStringLiteral("spinMaxH"), tr("Max Height thumbs"), 5);
    spinMaxW = makeSpinner(grbSetThumbTabl, QStringLiteral("spinMaxW"), tr("Max width thumbs"), 5);
    optionsLayout->addWidget(makeSpinnerBox(grbSetThumbTabl, tr("Columns"), spinCounCol));
    optionsLayout->addWidget(makeSpinnerBox(grbSetThumbTabl, tr("Max Height"), spinMaxH));
    optionsLayout->addWidget(makeSpinnerBox(grbSetThumbTabl, tr("Max width"), spinMaxW));
    // Beside the two buttons, so that the column keeps the height of one row
    // of thumbnails.
    auto *chbSmoothThumbs = new QCheckBox(grbSetThumbTabl);
    chbSmoothThumbs->setObjectName(QStringLiteral("chbSmoothThumbs"));
    chbSmoothThumbs->setToolTip(tr("Smooth thumbs: average of all pixels"));
    auto *optionButtons = new QHBoxLayout;
    btnRefreshTumb = makeFlatButton(grbSetThumbTabl, QStringLiteral("btnRefreshTumb"),
                                    tr("Restore tumbs"), QStringLiteral("refresh"));
    btnRefreshTumb->setEnabled(false);
    btnClearSelecthumb = makeFlatButton(grbSetThumbTabl, QStringLiteral("btnClearSelecthumb"),
                                        tr("Delete selected thumbs"), QStringLiteral("remove"));
    btnClearSelecthumb->setEnabled(false);
    optionButtons->addWidget(btnRefreshTumb);
    optionButtons->addWidget(btnClearSelecthumb);
    optionButtons->addWidget(chbSmoothThumbs);
    optionsLayout->addLayout(optionButtons);
    optionsLayout->addStretch(1);
    gridRowLayout->addWidget(grbSetThumbTabl, 0, Qt::AlignTop);

    scrbThumbs = new QScrollArea(gridRow);
    scrbThumbs->setObjectName(QStringLiteral("scrbThumbs"));
    scrbThumbs->setFrameShape(QFrame::NoFrame);
    paintBlack(scrbThumbs);
    scrbThumbs->setStyleSheet(QStringLiteral("QScrollBar:vertical { width: 12px; }"
                                             "QScrollBar:horizontal { height: 12px; }"));
    auto *grid = new QWidget;
    grid->setObjectName(QStringLiteral("scrbThumbsContent"));
    paintBlack(grid);
    grid->resize(0, 0);
    scrbThumbs->setWidget(grid);
    gridRowLayout->addWidget(scrbThumbs, 1);
    lowerLayout->addWidget(gridRow, 1);

    splitBackImage->setSizes({427, 48});
}

void TFormMain::buildThumbsRightPart(QWidget *parent)
{
    SplitterDestDir = new QSplitter(Qt::Vertical, parent);
    SplitterDestDir->setObjectName(QStringLiteral("SplitterDestDir"));
    SplitterDestDir->setHandleWidth(5);

    FolderModel = new QFileSystemModel(this);
    FolderModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    FolderModel->setRootPath(QStringLiteral("/"));
    DirectoryTree = new QTreeView(SplitterDestDir);
    DirectoryTree->setObjectName(QStringLiteral("DirectoryTree"));
    DirectoryTree->setModel(FolderModel);
    for (int column = 1; column < FolderModel->columnCount(); ++column)
        DirectoryTree->hideColumn(column);
    DirectoryTree->header()->hide();
    DirectoryTree->setSelectionBehavior(QAbstractItemView::SelectRows);
    // The chosen folder stays marked when the tree loses the focus.
    QPalette marked = DirectoryTree->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        marked.setColor(QPalette::Inactive, role, marked.color(QPalette::Active, role));
    DirectoryTree->setPalette(marked);
    const QString workingFolder = QDir::currentPath();
    DirectoryTree->setCurrentIndex(FolderModel->index(workingFolder));
    // The model reads the folders on the way down in the background; the
    // first time each folder on the way to the chosen one has been read, the
    // tree shows the chosen one again. A folder read again later (its files
    // changed) or one the user opens moves nothing, and the first touch of
    // the tree ends the following.
    auto followed = std::make_shared<QSet<QString>>();
    StartFolderFollowing = connect(
        FolderModel, &QFileSystemModel::directoryLoaded, this,
        [this, followed](const QString &loaded) {
            const QString chosen = FolderModel->filePath(DirectoryTree->currentIndex());
            const QString below = loaded.endsWith(u'/') ? loaded : loaded + u'/';
            if ((loaded != chosen && !chosen.startsWith(below)) || followed->contains(loaded))
                return;
            followed->insert(loaded);
            DirectoryTree->scrollTo(DirectoryTree->currentIndex(),
                                    QAbstractItemView::PositionAtCenter);
        });
    auto *touch = new FirstTouch(DirectoryTree, [this] { disconnect(StartFolderFollowing); });
    DirectoryTree->installEventFilter(touch);
    DirectoryTree->viewport()->installEventFilter(touch);

    auto *files = new QWidget(SplitterDestDir);
    auto *filesLayout = new QVBoxLayout(files);
    filesLayout->setContentsMargins(0, 0, 0, 0);
    filesLayout->setSpacing(0);
    FileListBox = new QListWidget(files);
    FileListBox->setObjectName(QStringLiteral("FileListBox"));
    FileListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FileListBox->setUniformItemSizes(true);
    FileListBox->setStyleSheet(QStringLiteral("QListWidget::item { height: 18px; }"));
    filesLayout->addWidget(FileListBox, 1);

    auto *bar = new QWidget(files);
    bar->setFixedHeight(22);
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(1, 1, 1, 1);
    barLayout->setSpacing(1);
    btnADDThumb = makeFlatButton(bar, QStringLiteral("btnADDThumb"), tr("create thumbs from file"),
                                 QStringLiteral("add"));
    stpSelCount = makeStatusPane(bar, QStringLiteral("stpSelCount"), 100, false);
    stpSelCount->setText(tr("Selected"));
    stpDestFSize = makeStatusPane(bar, QStringLiteral("stpDestFSize"), 64, true);
    barLayout->addWidget(btnADDThumb);
    barLayout->addWidget(stpSelCount);
    barLayout->addWidget(stpDestFSize);
    barLayout->addStretch(1);
    filesLayout->addWidget(bar);

    SplitterDestDir->setSizes({240, 240});
    readFileList(FolderModel->filePath(DirectoryTree->currentIndex()));

    // The bar's small button folds the file list away and brings it back.
    auto *collapse = new QToolButton(SplitterDestDir->handle(1));
    collapse->setObjectName(QStringLiteral("btnCollapseFiles"));
    collapse->setAutoRaise(true);
    collapse->setFocusPolicy(Qt::NoFocus);
    collapse->setGeometry(80, 0, 34, 5);
    connect(collapse, &QToolButton::clicked, this, [this] {
        const QList<int> sizes = SplitterDestDir->sizes();
        const int whole = sizes.value(0) + sizes.value(1);
        SplitterDestDir->setSizes(sizes.value(1) == 0 ? QList<int>{whole / 2, whole - whole / 2}
                                                      : QList<int>{whole, 0});
    });
}
