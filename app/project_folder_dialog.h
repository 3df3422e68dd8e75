#pragma once

#include <QDialog>

class QFileSystemModel;
class QLabel;
class QLineEdit;
class QTreeView;

// The project folder dialog: a folder tree with a "Folder name" box that
// follows it and may be typed into. OK on a folder that does not exist offers
// to create it. The chosen folder changes only on OK.
class ProjectFolderDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ProjectFolderDialog(QWidget *parent);

    // The folder chosen by the last OK; empty until then.
    const QString &directory() const { return m_directory; }

    // Opens at the folder chosen before, centred on the window; true for OK.
    bool execute();

    void accept() override;

protected:
    void changeEvent(QEvent *event) override;

private:
    void showFolder(const QString &folder);

    QLabel *m_prompt = nullptr;
    QLineEdit *m_folderName = nullptr;
    QTreeView *m_tree = nullptr;
    QFileSystemModel *m_model = nullptr;
    QString m_directory;
};
