<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>ClearProjectQuestion</name>
    <message>
        <source>Удалить проект?

Миниатюр в наборе: %1. Будут удалены все они, их картинки и миниатюры в папках проекта, страница ~thumbs.html и отредактированные копии картинок (отредактировано: %2), правки которых пропадут.
Исходные файлы останутся на месте.</source>
        <translation>Delete the project?

Thumbnails in the set: %1. All of them will be deleted, with their pictures and thumbnails in the project folders, the page ~thumbs.html and the edited copies of pictures (edited: %2), whose edits will be lost.
The source files stay where they are.</translation>
    </message>
</context>
<context>
    <name>EditingTools</name>
    <message>
        <source>Reduction scale of the image</source>
        <translation>Zoom of the image</translation>
    </message>
    <message>
        <source>Change size of the image</source>
        <translation>Change the size of the image</translation>
    </message>
    <message>
        <source>On crop</source>
        <translation>Crop mode</translation>
    </message>
    <message>
        <source>Go crop</source>
        <translation>Frame the whole picture</translation>
    </message>
    <message>
        <source>Selecy crop</source>
        <translation>Scale the picture to the frame</translation>
    </message>
    <message>
        <source>size of area vertical scraps</source>
        <translation>Width of the crop frame</translation>
    </message>
    <message>
        <source>circl 90 </source>
        <translation>Turn the frame by 90°</translation>
    </message>
    <message>
        <source>size of area gorisontal scraps</source>
        <translation>Height of the crop frame</translation>
    </message>
    <message>
        <source>Cant</source>
        <translation>Edge frame</translation>
    </message>
    <message>
        <source>Crop and save</source>
        <translation>Crop and save</translation>
    </message>
    <message>
        <source>Incert origin imahe</source>
        <translation>Restore the original picture</translation>
    </message>
    <message>
        <source>Prevuouse image</source>
        <translation>Previous image</translation>
    </message>
    <message>
        <source>Next image</source>
        <translation>Next image</translation>
    </message>
</context>
<context>
    <name>ErrorGuard</name>
    <message>
        <source>Out of memory</source>
        <translation>Out of memory</translation>
    </message>
</context>
<context>
    <name>ProjectFolderDialog</name>
    <message>
        <source>All folders</source>
        <translation>All folders</translation>
    </message>
    <message>
        <source>Folder name</source>
        <translation>Folder name</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Folders</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Please confirm that you wish to create the &apos;%1&apos; directory.</source>
        <translation>Please confirm that you wish to create the &apos;%1&apos; directory.</translation>
    </message>
</context>
<context>
    <name>ReopenQuestion</name>
    <message>
        <source>Для папки проекта %1 сохранён набор миниатюр.

Открыть его? В набор вернутся картинок: %2, в прежнем порядке, с прежними подписями и правками.</source>
        <translation>A set of thumbnails was saved for the project folder %1.

Open it? Pictures that return to the set: %2, in their former order, with their captions and edits.</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>SettingsStore: проблемы c </source>
        <translation>SettingsStore: problems with </translation>
    </message>
    <message>
        <source>Проблемы c SettingsStore</source>
        <translation>Problems with SettingsStore: </translation>
    </message>
</context>
<context>
    <name>TFormMain</name>
    <message>
        <source>Миниатюр: </source>
        <translation>Thumbnails: </translation>
    </message>
    <message>
        <source>Имя профиля не может содержать символ «|» или перевод строки. Параметры не сохранены.</source>
        <translation>A profile name cannot contain the character “|” or a line break. The parameters were not saved.</translation>
    </message>
    <message>
        <source>Сохранение параметров проекта</source>
        <translation>Saving project parameters</translation>
    </message>
    <message>
        <source>Сохранить параметры как...</source>
        <translation>Save parameters as...</translation>
    </message>
    <message>
        <source>Выбрано: %1 из %2</source>
        <translation>Selected: %1 of %2</translation>
    </message>
    <message>
        <source>Рамка обрезки пуста: задайте ей ширину и высоту больше нуля.</source>
        <translation>The crop frame is empty: give it a width and a height greater than zero.</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Keep originals</source>
        <translation>Keep originals</translation>
    </message>
    <message>
        <source>JPEG originals as they are: turned upright, no camera data</source>
        <translation>JPEG originals as they are: turned upright, no camera data</translation>
    </message>
    <message>
        <source>view</source>
        <translation>View</translation>
    </message>
    <message>
        <source>Modern page</source>
        <translation>Modern page</translation>
    </message>
    <message>
        <source>A page for phones and desktops, with a viewer and screen-sized copies</source>
        <translation>A page for phones and desktops, with a viewer and screen-sized copies</translation>
    </message>
    <message>
        <source>HTML editor</source>
        <translation>HTML editor</translation>
    </message>
    <message>
        <source>Page properties</source>
        <translation>Page properties</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>Page header</source>
        <translation>Page title</translation>
    </message>
    <message>
        <source>Background color</source>
        <translation>Background color</translation>
    </message>
    <message>
        <source>Fonts color</source>
        <translation>Font color</translation>
    </message>
    <message>
        <source>Page fonts color</source>
        <translation>Page font color</translation>
    </message>
    <message>
        <source>left Space</source>
        <translation>Left margin</translation>
    </message>
    <message>
        <source>Top space</source>
        <translation>Top margin</translation>
    </message>
    <message>
        <source>Edit &lt;a&gt;</source>
        <translation>Edit &lt;a&gt;</translation>
    </message>
    <message>
        <source>Link to original</source>
        <translation>Link to original</translation>
    </message>
    <message>
        <source>Original path load</source>
        <translation>Where the picture opens</translation>
    </message>
    <message>
        <source>Thumbs header</source>
        <translation>Thumbs header</translation>
    </message>
    <message>
        <source>header text</source>
        <translation>Header text</translation>
    </message>
    <message>
        <source>Text of header thumbs</source>
        <translation>Text of the header above the thumbnails</translation>
    </message>
    <message>
        <source>Font of header thumbs</source>
        <translation>Font of the header</translation>
    </message>
    <message>
        <source>thumbs fonts size</source>
        <translation>Font size of the header</translation>
    </message>
    <message>
        <source>Fonts Color</source>
        <translation>Font color</translation>
    </message>
    <message>
        <source>Semibold</source>
        <translation>Bold</translation>
    </message>
    <message>
        <source>Italics</source>
        <translation>Italic</translation>
    </message>
    <message>
        <source>Underline</source>
        <translation>Underline</translation>
    </message>
    <message>
        <source>Edit &lt;img&gt;</source>
        <translation>Edit &lt;img&gt;</translation>
    </message>
    <message>
        <source>Thumbs path</source>
        <translation>Thumbnails path</translation>
    </message>
    <message>
        <source>Thumb border size</source>
        <translation>Thumbnail border width</translation>
    </message>
    <message>
        <source>Edit &lt;table&gt;</source>
        <translation>Edit &lt;table&gt;</translation>
    </message>
    <message>
        <source>table border size</source>
        <translation>Table border width</translation>
    </message>
    <message>
        <source>Distance between cells</source>
        <translation>Space inside the cells</translation>
    </message>
    <message>
        <source>cells border</source>
        <translation>Space between the cells</translation>
    </message>
    <message>
        <source>cells backgroubd color</source>
        <translation>Cells background color</translation>
    </message>
    <message>
        <source>border color</source>
        <translation>Border color</translation>
    </message>
    <message>
        <source>Color of the dark side of a border</source>
        <translation>Color of the dark side of a border</translation>
    </message>
    <message>
        <source>Color of the lite side of a border</source>
        <translation>Color of the light side of a border</translation>
    </message>
    <message>
        <source>Color of the light side of a border</source>
        <translation>Color of the light side of a border</translation>
    </message>
    <message>
        <source>Aligment</source>
        <translation>Alignment</translation>
    </message>
    <message>
        <source>Left     </source>
        <translation>Left     </translation>
    </message>
    <message>
        <source>Center     </source>
        <translation>Center     </translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>Cells arrangement</source>
        <translation>Alignment of the cells</translation>
    </message>
    <message>
        <source>Cod HTML</source>
        <translation>HTML code</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>crop</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Insert</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>Save project</source>
        <translation>Save project</translation>
    </message>
    <message>
        <source>Save parameters as..</source>
        <translation>Save parameters as...</translation>
    </message>
    <message>
        <source>Delete current parameters from list</source>
        <translation>Delete the current parameters from the list</translation>
    </message>
    <message>
        <source>Project path</source>
        <translation>Project folder</translation>
    </message>
    <message>
        <source>gal. path</source>
        <translation>Pictures</translation>
    </message>
    <message>
        <source>thumbs path</source>
        <translation>Thumbnails</translation>
    </message>
    <message>
        <source>Папка для сохранения миниатюр</source>
        <translation>Thumbnails folder</translation>
    </message>
    <message>
        <source>Rename files</source>
        <translation>Rename files</translation>
    </message>
    <message>
        <source>Original</source>
        <translation>Original</translation>
    </message>
    <message>
        <source>Min.</source>
        <translation>Min.</translation>
    </message>
    <message>
        <source>Delete project</source>
        <translation>Delete project</translation>
    </message>
    <message>
        <source>These pictures could not be reopened and were left out of the set:
</source>
        <translation>These pictures could not be reopened and were left out of the set:
</translation>
    </message>
    <message>
        <source>These pictures could not be read and were not added:
</source>
        <translation>These pictures could not be read and were not added:
</translation>
    </message>
    <message>
        <source>Укажите путь для сохранения проекта.</source>
        <translation>Choose the folder to save the project in.</translation>
    </message>
    <message>
        <source>Обзор папок</source>
        <translation>Browse for folder</translation>
    </message>
    <message>
        <source>Thumbs</source>
        <translation>Thumbnails</translation>
    </message>
    <message>
        <source>Thumbs space</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>thumns </source>
        <translation>Thumbnails </translation>
    </message>
    <message>
        <source>Image </source>
        <translation>Image </translation>
    </message>
    <message>
        <source>From</source>
        <translation>of</translation>
    </message>
    <message>
        <source>Change size and scrap of originals</source>
        <translation>Change the size and crop of originals</translation>
    </message>
    <message>
        <source>Resore</source>
        <translation>Normal view</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Full screen</translation>
    </message>
    <message>
        <source>Thumbs columns</source>
        <translation>Columns of thumbnails</translation>
    </message>
    <message>
        <source>Max Height thumbs</source>
        <translation>Maximum height of thumbnails</translation>
    </message>
    <message>
        <source>Max width thumbs</source>
        <translation>Maximum width of thumbnails</translation>
    </message>
    <message>
        <source>Columns</source>
        <translation>Columns</translation>
    </message>
    <message>
        <source>Max Height</source>
        <translation>Max height</translation>
    </message>
    <message>
        <source>Max width</source>
        <translation>Max width</translation>
    </message>
    <message>
        <source>Smooth thumbs: average of all pixels</source>
        <translation>Smooth thumbnails: average of all pixels</translation>
    </message>
    <message>
        <source>Restore tumbs</source>
        <translation>Make the thumbnails again</translation>
    </message>
    <message>
        <source>Delete selected thumbs</source>
        <translation>Delete the selected thumbnails</translation>
    </message>
    <message>
        <source>create thumbs from file</source>
        <translation>Create thumbnails from the files</translation>
    </message>
    <message>
        <source>Selected</source>
        <translation>Selected</translation>
    </message>
    <message>
        <source>Thumbs folder</source>
        <comment>renaming prefix</comment>
        <translation>Prefix of the new file names</translation>
    </message>
    <message>
        <source>Thumbs folder</source>
        <comment>pictures folder</comment>
        <translation>Pictures folder</translation>
    </message>
</context>
</TS>
