#pragma once

#include "app/growing_layout.h"
#include "app/spin_edit.h"
#include "collection/file_stamp.h"
#include "collection/grid_layout.h"
#include "collection/thumb_set.h"
#include "collection/thumbs_collection.h"
#include "imaging/bitmap32.h"
#include "project/gallery_plan.h"
#include "project/gallery_settings.h"
#include "project/output_names.h"
#include "project/settings_store.h"
#include "ui/img_view32.h"
#include "ui/rubberband_layer.h"

#include <QList>

#include <QStringList>
#include <QWidget>
#include <memory>

class ColourPanel;
struct GalleryRecord;
class PicturePrefetch;
class GalleryProgressBar;
class ProjectFolderDialog;
class HtmlSourcePane;
class LockableSplitter;
class QCheckBox;
class QColorDialog;
class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollArea;
class QSlider;
class QSplitter;
class QSpinBox;
class QTabWidget;
class QTimer;
class QToolButton;
class QTreeView;
class RadioGroup;
class ThumbCell;
class TImage32;

// The program's one window. It owns every control; the gallery settings live
// in the controls and nowhere else.
class TFormMain : public QWidget
{
    Q_OBJECT
public:
    // A non-empty exeFolder stands in for the executable's folder, the home of
    // propstor.ini.
    explicit TFormMain(const QString &exeFolder = QString(), QWidget *parent = nullptr);
    ~TFormMain() override;

    const QString &exePath() const { return ExePath; }
    const QList<TThumbsCollection> &thumbs() const { return Thumbs; }
    int thumbsCount() const { return ThumbsCount; }
    int currentThumb() const { return CurrentThumb; }
    QString projectPath() const { return ProjectPath; }
    QString galleryPath() const { return GalleryPath; }
    QString thumbsPath() const { return ThumbsPath; }
    bool swapPending() const { return SwapPending; }
    float zoomFactor() const { return ZoomFactor; }
    TRubberbandLayer *rubberBand() const { return RubberBand; }

    // Lifecycle.
    void FormCreate(const QString &exeFolder);
    void FormShow();
    void FormDestroy();

    // Settings profiles.
    void cmbPropProjChange();
    void btnSavePropProjClick();
    void btnDeletePropProjClick();

    // Project folders and file names.
    QString OutputFileName(int index, TFileKind kind) const;
    void bteDirProjectButtonClick();
    void AskProjectFolder();
    void edtGalerFolderChange();
    void edtThumbsFolderChange();
    void chbRenameFClick();

    // Source browser.
    void DirectoryTreeClick();
    void FileListBoxChange();
    void FileListBoxClick();
    void FileListBoxDblClick();
    void FileListBoxKeyPress(QChar key);
    void ShowPreview(const QString &path);
    void emptyPreview();

    // Thumbnail set and grid.
    void btnADDThumbClick();
    void AddThumb(const QString &path);
    void RenderThumb(TImage32 *image, const QString &path, bool reload);
    void RelayoutThumbs(bool reload);
    void FitThumbStrip();
    void ThumbClick(QObject *sender);
    void ThumbDblClick(QObject *sender);
    void MarkCurrent(int oldIndex, int newIndex);
    void btnClearSelecthumbClick();
    void btnClearAllProjectClick();
    void btnRefreshTumbClick();
    // The thumbnails are made again from their pictures with the filter
    // now chosen, so that the grid shows what Start writes.
    // An option of the thumbnails' making changed: the cells follow.
    void thumbnailOptionChanged();

    // Viewer.
    void btnMiddleClick();
    void btnViewThumbsClick();
    void btnRedactImageClick();
    void ScaleBarChange(QObject *sender);
    void btnPreviousClick();
    void btnNextClick();
    void ShowImageSize();

    // Editor.
    enum class TBandPlacement { Centred, KeepCorner };
    void btnLLClick();
    void CreateBand();
    void PlaceBand(TBandPlacement placement);
    void OnBandResizing(const QRectF &oldLocation, const QRectF &newLocation);
    void spinHChange();
    void btnSizeIClick();
    void btnVHClick();
    void btnSizeImClick();
    void btnCutImageClick();
    void SaveEditedPicture();
    void UpdateRestoreButton();
    void btnRestoreImageClick();

    // The page and its options.
    void GenerateHtml();
    void PageControlChange();
    // False when the dialog was cancelled, which changes nothing.
    bool PickColor(ColourPanel *panel, QLineEdit *edit);
    void pnlBGColorPageClick();
    void pnlTextColorPageClick();
    void pnlColorFontClick();
    void pnlBgColorClick();
    void pnlBordColorClick();
    void pnlBordColorDClick();
    void pnlBordColorLClick();
    void spinBorderChange();
    void rdbAlignTabClick();
    void btnDelSelTextClick();
    void btnCutSelTextClick();
    void btnCopySelTextClick();
    void btnPasteTextClick();

    // Export and preview.
    void btnStartClick();
    // The pictures "Start" makes at a time and an add decodes ahead; 0 (the
    // default) for one per processor, 1 for all work on the window's thread.
    void setJobs(int jobs);
    void btnPreviewClick();
    void SaveThumbnail(int index);

    // The named controls, in the order of the window's areas.
    QWidget *pnlDir = nullptr;
    QComboBox *cmbPropProj = nullptr;
    QToolButton *btnSavePropProj = nullptr;
    QToolButton *btnDeletePropProj = nullptr;
    QLineEdit *bteDirProject = nullptr;
    QLineEdit *edtGalerFolder = nullptr;
    QLineEdit *edtThumbsFolder = nullptr;
    QCheckBox *chbRenameF = nullptr;
    QLabel *lblOrigPref = nullptr;
    QLineEdit *edtOrigPref = nullptr;
    QLabel *lblThumbPref = nullptr;
    QLineEdit *edtThumbPref = nullptr;
    QToolButton *btnClearAllProject = nullptr;

    QTabWidget *PageControl = nullptr;
    QWidget *TabSheet_Thumbs = nullptr;
    QWidget *TabSheet_SetHTML = nullptr;

    LockableSplitter *splitBack = nullptr;
    LockableSplitter *splitBackImage = nullptr;
    QSplitter *SplitterDestDir = nullptr;
    QWidget *pnlResizeImage = nullptr;
    QSlider *ZoomBar = nullptr;
    QSlider *ScaleBar = nullptr;
    QToolButton *btnLL = nullptr;
    QToolButton *btnSizeI = nullptr;
    QToolButton *btnSizeIm = nullptr;
    SpinEdit *spinW = nullptr;
    QToolButton *btnVH = nullptr;
    SpinEdit *spinH = nullptr;
    QToolButton *btnKant = nullptr;
    QToolButton *btnCutImage = nullptr;
    QToolButton *btnRestoreImage = nullptr;
    QToolButton *btnPrevious = nullptr;
    QToolButton *btnNext = nullptr;
    TImage32 *ImageDest = nullptr;
    TImgView32 *ImgR = nullptr;
    QWidget *pnlViewer = nullptr;
    QLabel *lblCountThubs = nullptr;
    QWidget *pnlStatusRes = nullptr;
    QLabel *lblZoom = nullptr;
    QLabel *lblImageSize = nullptr;
    QLabel *lblCurrentImage = nullptr;
    QLabel *lblCountImage = nullptr;
    QToolButton *btnRedactImage = nullptr;
    QToolButton *btnMiddle = nullptr;
    QToolButton *btnViewThumbs = nullptr;
    QLabel *stpDestPSize = nullptr;
    QWidget *grbSetThumbTabl = nullptr;
    QSpinBox *spinCounCol = nullptr;
    QSpinBox *spinMaxH = nullptr;
    QSpinBox *spinMaxW = nullptr;
    QToolButton *btnRefreshTumb = nullptr;
    QToolButton *btnClearSelecthumb = nullptr;
    QScrollArea *scrbThumbs = nullptr;
    QTreeView *DirectoryTree = nullptr;
    QListWidget *FileListBox = nullptr;
    QToolButton *btnADDThumb = nullptr;
    QLabel *stpSelCount = nullptr;
    QLabel *stpDestFSize = nullptr;

    QLineEdit *edtTitle = nullptr;
    ColourPanel *pnlBGColorPage = nullptr;
    QLineEdit *edtBGColorPage = nullptr;
    ColourPanel *pnlTextColorPage = nullptr;
    QLineEdit *edtTextColorPage = nullptr;
    SpinEdit *spinLeftMargin = nullptr;
    SpinEdit *spinTopMargin = nullptr;
    QLineEdit *edtHref = nullptr;
    QComboBox *cmbTarget = nullptr;
    QLineEdit *edtHeader = nullptr;
    QComboBox *cmbFontHeader = nullptr;
    QComboBox *cmbFontSize = nullptr;
    ColourPanel *pnlColorFont = nullptr;
    QLineEdit *edtColorFont = nullptr;
    QCheckBox *chbBold = nullptr;
    QCheckBox *chbItalic = nullptr;
    QCheckBox *chbUnderline = nullptr;
    QLineEdit *edtSrc = nullptr;
    SpinEdit *spinBorderImg = nullptr;
    SpinEdit *spinBorder = nullptr;
    SpinEdit *spinCellPad = nullptr;
    SpinEdit *spinCellSpac = nullptr;
    ColourPanel *pnlBgColor = nullptr;
    QLineEdit *edtBgColor = nullptr;
    ColourPanel *pnlBordColor = nullptr;
    QLineEdit *edtBordColor = nullptr;
    ColourPanel *pnlBordColorD = nullptr;
    QLineEdit *edtBordColorD = nullptr;
    ColourPanel *pnlBordColorL = nullptr;
    QLineEdit *edtBordColorL = nullptr;
    RadioGroup *rdbAlignTab = nullptr;
    QToolButton *btnDelSelText = nullptr;
    QToolButton *btnCutSelText = nullptr;
    QToolButton *btnCopySelText = nullptr;
    QToolButton *btnPasteText = nullptr;
    HtmlSourcePane *CL = nullptr;
    GalleryProgressBar *ProgressBar = nullptr;
    QPushButton *btnStart = nullptr;
    QCheckBox *chbKeepOriginals = nullptr;
    QCheckBox *chbModernPage = nullptr;
    QPushButton *btnPreview = nullptr;
    // The tree follows the folders read on the way to the working folder
    // until it is read or the user touches the tree.
    QMetaObject::Connection StartFolderFollowing;
    // The one model of the settings while the window runs, in step with the
    // controls that show them.
    GallerySettings Settings;
    // The options the cells' thumbnails were made with.
    ExportOptions ThumbsMadeWith;
    // The controls placed for the described size, kept in place as it grows.
    GrowingLayout Growing;
    QTimer *RoomChanged = nullptr;
    QColorDialog *ColorDialog = nullptr;
    ProjectFolderDialog *DirDialogProject = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildProjectPanel();
    void buildThumbsTab();
    void buildThumbsLeftPart(QWidget *parent);
    void buildEditingTools(QWidget *parent);
    void buildThumbsRightPart(QWidget *parent);
    void buildHtmlTab();
    void buildHtmlOptionGroups(QWidget *tab);
    void buildSourceGroup(QWidget *tab);
    void connectHandlers();
    void connectBrowser();
    void connectThumbSet();
    void connectExport();
    void connectViewer();
    void releaseBand();
    // The walk's common part, after CurrentThumb moved on from `old`.
    void stepTo(int old);
    bool eventFilter(QObject *watched, QEvent *event) override;
    void connectHtmlTab();
    // The window's part of a gallery: its folders, naming and thumbnail box,
    // its thumbnails, and the look of its page as the controls hold them.
    GalleryLayout galleryLayout() const;
    // An add or a reopening: the project panel waits, and a close asked for
    // meanwhile happens once the set is done.
    void beginGrowingSet();
    void endGrowingSet();
    // A profile that stores no link prefix gets the one its folder text gives.
    void deriveEmptyLinkPrefixes();
    // Refuses, before anything is written, folder texts and prefixes that
    // would put a file outside its folder.
    void checkOutputTexts() const;
    void centreOnScreen();
    // The window's size and place between runs, in Qt's settings under the
    // user's configuration folder.
    void restoreWindowPlace();
    void saveWindowPlace() const;
    // After the window's size changed: a roomy grid takes more cells a row.
    void relayoutForRoom();
    // Reads the picture files of `folder` into the file list.
    void readFileList(const QString &folder);
    GridMetrics gridMetrics() const;
    int jobCount() const;
    // Makes the thumbnail of `image` from `picture`, decoded already, or from
    // the control's own pixels when picture is null.
    void renderThumbFrom(TImage32 *image, TBitmap32 *picture);
    // The picture of `path` for a new thumbnail, decoded unless the preview
    // or DecodedPicture holds it already; with `intoPreview` it ends in the
    // preview, where MarkCurrent then shows it without loading it again.
    TBitmap32 &pictureForThumb(const QString &path, bool intoPreview);
    void placeThumb(TImage32 *image);
    // Whether the thumbnail of `path` is made from its picture reduced while
    // it is decoded, and that picture, read into ReducedPicture.
    bool thumbnailFromReduced(const QString &path, bool edited) const;
    TBitmap32 &reducedPicture(const QString &path);
    // Whether fitting the thumbnail into its control's box changes its size.
    static bool fittedSizeChanges(TImage32 *image);
    void fitGridContent();
    NamingSettings namingSettings() const;
    ProjectFolders projectFolders() const;
    // The set's names and paths for its rules, and back into the records.
    // Raises PictavelError when writing `output` would replace a source
    // picture of the set, naming it and the folder text to change.
    void refuseReplacingSetSource(const QString &output, TFileKind kind) const;
    // The set as its one value type, and back into the cells' records.
    static SetPicture setPictureOf(const TThumbsCollection &thumb);
    QList<SetPicture> setPictures() const;
    // The modern page of the set, as the settings make it, and its further
    // pages.
    QList<QStringList> modernPages() const;
    void showSetPictures(const QList<SetPicture> &pictures);
    void showThumbCount();
    void enableSetButtons(bool enabled);
    void takeProjectFolder();
    // After the folder dialog's OK: a set is recorded for its new folder; an
    // empty set offers to reopen the one recorded for the folder.
    void projectFolderChosen();
    // The set as recorded: its profile, texts and naming, then its pictures
    // made as an add makes them; those whose files are gone are left out and
    // named in one message at the end.
    void reopenSet(const GalleryRecord &record);
    void applyRecordedTexts(const GalleryRecord &record);
    // Keeps the record of a set that is not empty in step with it, after
    // every change of the set or of what its names follow; only emptying the
    // set by a removal or clearing forgets the record, so that a folder
    // chosen with nothing in the set can still offer it.
    void recordSet();
    void forgetRecordedSet();
    void endPendingExchange();
    QList<QWidget *> renamingPrefixControls() const;
    // Whether the name may become a profile name; tells the user why not.
    bool acceptProfileName(const QString &name);

    // The window's state: folder paths, the grid's layout cursor, the set.
    QString ExePath;
    QString ProjectPath;
    QString GalleryPath;
    QString ThumbsPath;
    // The grid's layout cursor: CellLeft, CellTop and RowNumber.
    GridCursor LayoutCursor;
    QList<TThumbsCollection> Thumbs;
    int FileCount = 0;
    int ThumbsCount = 0;
    int CurrentThumb = 0;
    bool SwapPending = false;
    TThumbsCollection SwapSource;
    // The folder the file list shows.
    QString FileFolder;
    // A picture decoded for a thumbnail; kept so that its pixel area serves the
    // next one too.
    TBitmap32 DecodedPicture;
    // A picture decoded reduced for its thumbnail alone.
    TBitmap32 ReducedPicture;
    // The files whose pictures the preview and DecodedPicture hold (empty
    // when unknown). An add shows each picture in the preview and the file
    // list's focused entry right after it; the two pictures change places
    // instead of being decoded again each time.
    FileStamp PreviewShows;
    FileStamp DecodedHolds;
    // Whether the last renaming pass numbered the files.
    bool RenamingWasOn = false;
    // An add, removal or refresh in progress lets events in between its steps;
    // other changes of the set wait for it.
    bool SetBusy = false;
    int Jobs = 0;
    // The pictures of the add in progress, decoded ahead on other threads.
    PicturePrefetch *AddAhead = nullptr;
    bool CloseRequested = false;
    double ViewerPercent = 74;
    float ZoomFactor = 1.0f;
    // The crop frame; exists exactly while crop mode is on.
    TRubberbandLayer *RubberBand = nullptr;
    // False while the frame's own resizing writes the spin edits.
    bool ApplySpinsToBand = true;
    QFileSystemModel *FolderModel = nullptr;
    std::unique_ptr<SettingsStore> Store;
    // Reading a setting may change it and ask for a rebuild inside the running one.
    bool GeneratingPage = false;
};
