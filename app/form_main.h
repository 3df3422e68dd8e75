#pragma once

#include "app/spin_edit.h"
#include "project/settings_store.h"

#include <QStringList>
#include <QWidget>
#include <memory>

class ColourPanel;
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
class QProgressBar;
class QPushButton;
class QScrollArea;
class QSlider;
class QSplitter;
class QSpinBox;
class QTabWidget;
class QToolButton;
class QTreeView;
class RadioGroup;
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

    // Lifecycle.
    void FormCreate(const QString &exeFolder);
    void FormShow();
    void FormDestroy();

    // Settings profiles.
    void cmbPropProjChange();
    void btnSavePropProjClick();
    void btnDeletePropProjClick();

    // Project folders.
    void edtGalerFolderChange();
    void edtThumbsFolderChange();
    void chbRenameFClick();

    // Source browser and viewer.
    void FileListBoxClick();
    void btnMiddleClick();

    // The page and its options.
    void GenerateHtml();
    void PageControlChange();
    void PickColor(ColourPanel *panel, QLineEdit *edit);
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
    QScrollArea *ImgR = nullptr;
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
    QProgressBar *ProgressBar = nullptr;
    QPushButton *btnStart = nullptr;
    QPushButton *btnPreview = nullptr;
    QColorDialog *ColorDialog = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

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
    void connectHtmlTab();
    void centreOnScreen();
    QList<QWidget *> renamingPrefixControls() const;
    // Whether the name may become a profile name; tells the user why not.
    bool acceptProfileName(const QString &name);

    // The window's state: folder paths, the grid's layout cursor, the set.
    QString ExePath;
    QString ProjectPath;
    QString GalleryPath;
    QString ThumbsPath;
    int CellLeft = 2;
    int CellTop = 2;
    int RowNumber = 1;
    int FileCount = 0;
    int ThumbsCount = 0;
    int CurrentThumb = 0;
    double ViewerPercent = 74;
    QFileSystemModel *FolderModel = nullptr;
    std::unique_ptr<SettingsStore> Store;
    // Reading a setting may change it and ask for a rebuild inside the running one.
    bool GeneratingPage = false;
};
