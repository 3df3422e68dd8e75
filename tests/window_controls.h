#pragma once

#include <QFileSystemModel>
#include <QListWidget>
#include <QString>
#include <QTreeView>
#include <QWidget>

// A named control of the window; a missing one ends the test program, since
// every later step would only fail for that reason.
template <typename T> T *control(const QWidget *window, const char *name)
{
    auto *widget = window->findChild<T *>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

// Opens `folder` in the file list as a click on it in the folder tree does,
// and returns the list.
template <typename Window> QListWidget *openInFileList(Window &window, const QString &folder)
{
    auto *tree = control<QTreeView>(&window, "DirectoryTree");
    tree->setCurrentIndex(static_cast<QFileSystemModel *>(tree->model())->index(folder));
    window.DirectoryTreeClick();
    return control<QListWidget>(&window, "FileListBox");
}
