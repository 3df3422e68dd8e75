#include "app/form_main.h"
#include "app/form_widgets.h"
#include "app/project_folder_dialog.h"
#include "project/output_names.h"
#include "project/profile_list.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace {

QGroupBox *makeProjectGroup(QWidget *panel, const QString &caption, int left, int width)
{
    auto *group = new QGroupBox(caption, panel);
    group->setGeometry(left, 2, width, 39);
    return group;
}

QLineEdit *makeFolderEdit(QGroupBox *group, const QString &name, const QString &hint,
                          const QString &text = QString())
{
    return makeLineEdit(group, name, hint, text, QRect(4, 15, group->width() - 8, 20));
}

// A folder text of the profile, with its built-in default.
QLineEdit *makeFolderSetting(QGroupBox *group, const QString &name, const QString &hint)
{
    return makeFolderEdit(group, name, hint, settingDefaultText(name + QStringLiteral(".Text")));
}

QLineEdit *makePrefixEdit(QGroupBox *group, const QString &name, const QString &text, int left)
{
    // The prefix boxes carry the folder box's hint; the comment lets a
    // translation say what they hold instead.
    return makeLineEdit(group, name, TFormMain::tr("Thumbs folder", "renaming prefix"), text,
                        QRect(left, 15, 35, 20));
}

} // namespace

QList<QWidget *> TFormMain::renamingPrefixControls() const
{
    return {lblOrigPref, edtOrigPref, lblThumbPref, edtThumbPref};
}

void TFormMain::buildProjectPanel()
{
    pnlDir = new QWidget(this);
    pnlDir->setObjectName(QStringLiteral("pnlDir"));
    pnlDir->setGeometry(0, 0, 772, 43);

    QGroupBox *save = makeProjectGroup(pnlDir, tr("Save project"), 0, 203);
    cmbPropProj = new QComboBox(save);
    cmbPropProj->setObjectName(QStringLiteral("cmbPropProj"));
    cmbPropProj->setGeometry(4, 15, 149, 20);
    cmbPropProj->addItem(defaultProfileName());
    btnSavePropProj = makeFlatButton(save, QStringLiteral("btnSavePropProj"),
                                     tr("Save parameters as.."), QStringLiteral("save"));
    btnSavePropProj->setGeometry(156, 13, 22, 22);
    btnDeletePropProj =
        makeFlatButton(save, QStringLiteral("btnDeletePropProj"),
                       tr("Delete current parameters from list"), QStringLiteral("delete"));
    btnDeletePropProj->setGeometry(178, 13, 22, 22);
    btnDeletePropProj->setEnabled(false);

    QGroupBox *project = makeProjectGroup(pnlDir, tr("Project path"), 203, 203);
    bteDirProject =
        makeFolderEdit(project, QStringLiteral("bteDirProject"), tr("Project path"), QString());
    bteDirProject->setReadOnly(true);
    QAction *browse = bteDirProject->addAction(QIcon(QStringLiteral(":/icons/folder.png")),
                                               QLineEdit::TrailingPosition);
    browse->setObjectName(QStringLiteral("bteDirProjectButton"));
    DirDialogProject = new ProjectFolderDialog(this);

    QGroupBox *gallery = makeProjectGroup(pnlDir, tr("gal. path"), 406, 77);
    edtGalerFolder = makeFolderSetting(gallery, QStringLiteral("edtGalerFolder"),
                                       tr("Thumbs folder", "pictures folder"));

    QGroupBox *thumbs = makeProjectGroup(pnlDir, tr("thumbs path"), 483, 77);
    edtThumbsFolder = makeFolderSetting(thumbs, QStringLiteral("edtThumbsFolder"),
                                        tr("Папка для сохранения миниатюр"));

    QGroupBox *rename = makeProjectGroup(pnlDir, tr("Rename files"), 560, 167);
    chbRenameF = new QCheckBox(rename);
    chbRenameF->setObjectName(QStringLiteral("chbRenameF"));
    chbRenameF->setGeometry(3, 17, 16, 16);
    lblOrigPref = makeLabel(rename, tr("Original"), QStringLiteral("lblOrigPref"));
    lblOrigPref->setGeometry(19, 18, 44, 14);
    edtOrigPref = makePrefixEdit(rename, QStringLiteral("edtOrigPref"),
                                 QString::fromLatin1(kStartPicturePrefix), 63);
    lblThumbPref = makeLabel(rename, tr("Min."), QStringLiteral("lblThumbPref"));
    lblThumbPref->setGeometry(104, 18, 22, 14);
    edtThumbPref = makePrefixEdit(rename, QStringLiteral("edtThumbPref"),
                                  QString::fromLatin1(kStartThumbnailPrefix), 127);
    for (QWidget *prefix : renamingPrefixControls())
        prefix->setEnabled(false);

    QGroupBox *clear = makeProjectGroup(pnlDir, QString(), 727, 41);
    btnClearAllProject = makeFlatButton(clear, QStringLiteral("btnClearAllProject"),
                                        tr("Delete project"), QStringLiteral("clear"));
    btnClearAllProject->setGeometry(3, 8, 35, 28);
    btnClearAllProject->setIconSize(QSize(24, 24));
}
