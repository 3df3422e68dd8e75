#include "app/project_folder_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

ProjectFolderDialog::ProjectFolderDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DirDialogProject"));
    setWindowTitle(tr("All folders"));
    setModal(true);
    resize(360, 420);

    auto *layout = new QVBoxLayout(this);
    // The title is the dialog's only explanation, and a window manager may
    // cut it; the prompt stands whole inside the dialog too.
    m_prompt = new QLabel(windowTitle(), this);
    m_prompt->setWordWrap(true);
    layout->addWidget(m_prompt);
    layout->addWidget(new QLabel(tr("Folder name"), this));
    m_folderName = new QLineEdit(this);
    layout->addWidget(m_folderName);
    layout->addWidget(new QLabel(tr("Folders"), this));

    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setRootPath(QStringLiteral("/"));
    m_tree = new QTreeView(this);
    m_tree->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->header()->hide();
    layout->addWidget(m_tree, 1);
    connect(
        m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex &current) { m_folderName->setText(m_model->filePath(current)); });

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ProjectFolderDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ProjectFolderDialog::reject);
    layout->addWidget(buttons);
}

void ProjectFolderDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowTitleChange && m_prompt)
        m_prompt->setText(windowTitle());
    QDialog::changeEvent(event);
}

void ProjectFolderDialog::showFolder(const QString &folder)
{
    const QModelIndex index = m_model->index(folder.isEmpty() ? QDir::currentPath() : folder);
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index);
    m_folderName->setText(folder);
}

bool ProjectFolderDialog::execute()
{
    showFolder(m_directory);
    if (const QWidget *window = parentWidget() ? parentWidget()->window() : nullptr) {
        QRect place(QPoint(), size());
        place.moveCenter(window->frameGeometry().center());
        move(place.topLeft());
    }
    return exec() == QDialog::Accepted;
}

void ProjectFolderDialog::accept()
{
    const QString typed = m_folderName->text().trimmed();
    if (typed.isEmpty())
        return;
    const QString folder = QDir::cleanPath(QDir(typed).absolutePath());
    if (!QDir(folder).exists()) {
        QMessageBox question(
            QMessageBox::Question, windowTitle(),
            tr("Please confirm that you wish to create the '%1' directory.").arg(typed),
            QMessageBox::Yes | QMessageBox::No, this);
        if (question.exec() != QMessageBox::Yes)
            return;
        QDir().mkpath(folder);
    }
    m_directory = folder;
    QDialog::accept();
}
