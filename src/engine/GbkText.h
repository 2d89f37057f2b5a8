#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Text is stored and exchanged as GBK (code page 936) bytes, and every width
// in the tables counts those bytes, not characters.
namespace GbkText {

// GBK bytes of the text. *ok is set false when some character has no GBK
// form (nothing is substituted then: callers must refuse such text).
QByteArray encode(const QString &text, bool *ok = nullptr);
// Writes the GBK bytes of the text at out, which has room for two bytes
// per character, and returns their end; nullptr when a character has no
// GBK form.
char *encodeInto(QStringView text, char *out);
QString decode(const QByteArray &gbk);
QString decode(const char *data, int size);
// The same text as UTF-8 in one step (for handing field text to SQLite).
QByteArray decodeToUtf8(const char *data, int size);
// Whether the bytes are GBK text throughout: characters below 0x80, the
// euro sign 0x80, and lead bytes whose trail byte completes a character
// (0xFF, a private character of code page 936, is refused). decode() reads
// such bytes without loss, and encode() gives the same bytes back, so they
// may be passed on as they are.
bool isValid(QByteArrayView gbk);
// Valid GBK text that holds no control character (TAB, CR and LF allowed),
// in one pass.
bool isCleanText(QByteArrayView gbk);
// Whether the bytes hold a control character (TAB, CR and LF allowed); for
// bytes known to be GBK text, whose trail bytes are never such.
bool hasControlCharacter(QByteArrayView gbk);

// What copyChecked() found.
struct CopyScan
{
    bool valid = false;       // GBK text, as isValid() means it
    bool separator = false;   // a TAB, CR or LF among the bytes
    bool quote = false;       // a double quote among them
};
// Copies the bytes to out (room for as many) and checks them as isValid()
// does, in one pass, noting the bytes that text formats give a meaning of
// their own (never part of a GBK character): for writers that pass long
// stored text on. What was copied of invalid bytes is of no use.
CopyScan copyChecked(QByteArrayView gbk, char *out);

bool canHold(const QString &text);
// The first character GBK cannot hold, or a null QChar pair when all fit.
QString firstUnencodable(const QString &text);

int byteLength(const QString &text);
// The longest prefix of the text whose GBK form fits in maxBytes bytes;
// never splits a character.
QString cutToBytes(const QString &text, int maxBytes);
// The same on GBK bytes: a lead byte whose trail would fall outside is dropped.
QByteArray cutBytes(const QByteArray &gbk, int maxBytes);

// Orders two UTF-8 texts as their GBK bytes would order (what the original
// engine did for ORDER BY, max() and comparisons). <0, 0, >0.
int compareUtf8AsGbk(const char *a, int lenA, const char *b, int lenB);
int compare(const QString &a, const QString &b);

} // namespace GbkText
