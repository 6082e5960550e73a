#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <sys/types.h>

class QFile;
struct stat;

// A file name on Linux is bytes. Qt reads them as UTF-8 and turns every byte
// that is not into U+FFFD, so a name from an old camera card ("caf\xe9.jpg")
// would no longer name its file. Here a stray byte b becomes the lone
// surrogate U+DC00 + b instead: it shows as a replacement character, and
// encodes back to the byte it came from. Every call that hands a path to
// the system goes through FileNameBytes.
QString FileNameFromBytes(QByteArrayView bytes);
QByteArray FileNameBytes(const QString& path);

// A path from a Qt dialog, which reads names as UTF-8 and shows each byte
// that is not as U+FFFD, so the path no longer names its entry: each such
// component becomes the one entry of its folder that reads the same way.
// Left as it is where none or several do.
QString NameFromDialog(const QString& path);

// "file://" and the path's bytes, escaped as the thumbnail standard asks
// (RFC 2396 path characters stand, every other byte is %XX).
QByteArray FileUri(const QString& path);

// The system calls the program makes on user files, on the path's bytes.
// Each returns what the call returns; errno tells why it failed.
bool StatPath(const QString& path, struct stat& st);   // follows links
bool LstatPath(const QString& path, struct stat& st);  // the entry itself
int OpenPath(const QString& path, int flags, mode_t mode = 0);
bool AccessPath(const QString& path, int mode);
bool RemovePath(const QString& path);
// Never replaces an existing entry; fails across file systems.
bool RenameNoReplace(const QString& from, const QString& to);
// The path with every link resolved; "" when it does not resolve.
QString CanonicalPath(const QString& path);
// Opens a regular file for reading; false for anything else (a pipe would
// block the program until someone writes to it).
bool OpenForReading(QFile& file, const QString& path);
// A system error number as text.
QString ErrorText(int error);
