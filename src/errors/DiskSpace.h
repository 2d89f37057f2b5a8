#pragma once
#include <QString>

class QFileDevice;

// A write that stops short because the disk is full sets no error of its
// own (the system's text would be "Unknown error"): the free space of the
// disk tells. Said in the user's words, naming the folder.
namespace DiskSpace {

// Whether the disk that holds the folder has no room left worth the name.
bool isFull(const QString &folder);
// "文件夹“…”所在的磁盘已满".
QString fullText(const QString &folder);
// Why writing the file failed: a full disk, naming the file's folder; else
// the system's words.
QString writeFailure(const QFileDevice &file);

} // namespace DiskSpace
