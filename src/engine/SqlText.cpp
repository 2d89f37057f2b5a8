#include "SqlText.h"

#include <QList>

namespace {

struct Token
{
    enum Kind { Word, Identifier, String, Number, Symbol };
    Kind kind = Symbol;
    QString text;   // words lower case; identifiers without their quotes
    int pos = 0;    // where the token starts in the statement
    int depth = 0;  // parentheses around it
};

int skipBlanksAndComments(const QString &s, int i)
{
    const int n = s.size();
    while (i < n) {
        if (s[i].isSpace()) {
            ++i;
        } else if (s.mid(i, 2) == QLatin1String("--")) {
            while (i < n && s[i] != QLatin1Char('\n'))
                ++i;
        } else if (s.mid(i, 2) == QLatin1String("/*")) {
            const int end = s.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else {
            break;
        }
    }
    return i;
}

// A quoted part: 'text', "name", `name` or [name]; a doubled quote stands for one.
int quotedEnd(const QString &s, int i, QChar close)
{
    const int n = s.size();
    ++i;
    while (i < n) {
        if (s[i] == close) {
            if (close != QLatin1Char(']') && i + 1 < n && s[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return n;
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c.unicode() > 127;
}

QList<Token> tokenize(const QString &s)
{
    QList<Token> tokens;
    int depth = 0;
    int i = skipBlanksAndComments(s, 0);
    while (i < s.size()) {
        Token t;
        t.pos = i;
        const QChar c = s[i];
        int end = i + 1;
        if (c == QLatin1Char('\'')) {
            t.kind = Token::String;
            end = quotedEnd(s, i, c);
        } else if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('[')) {
            t.kind = Token::Identifier;
            end = quotedEnd(s, i, c == QLatin1Char('[') ? QLatin1Char(']') : c);
            t.text = s.mid(i + 1, end - i - 2);
        } else if (c.isDigit()) {
            t.kind = Token::Number;
            while (end < s.size() && (s[end].isLetterOrNumber() || s[end] == QLatin1Char('.')))
                ++end;
        } else if (isWordChar(c)) {
            t.kind = Token::Word;
            while (end < s.size() && isWordChar(s[end]))
                ++end;
            t.text = s.mid(i, end - i).toLower();
        } else {
            t.text = c;
        }
        if (c == QLatin1Char(')'))
            --depth;
        t.depth = depth;
        if (c == QLatin1Char('('))
            ++depth;
        tokens.append(t);
        i = skipBlanksAndComments(s, end);
    }
    return tokens;
}

bool isName(const Token &t)
{
    return t.kind == Token::Word || t.kind == Token::Identifier;
}

bool isSymbol(const Token &t, char c)
{
    return t.kind == Token::Symbol && t.text == QLatin1Char(c);
}

bool isWord(const Token &t, const char *word)
{
    return t.kind == Token::Word && t.text == QLatin1String(word);
}

// Words that may follow the table of a live select.
bool startsTail(const Token &t)
{
    return isWord(t, "where") || isWord(t, "order") || isWord(t, "limit");
}

// Words that make a select something else than rows of one table.
bool breaksLiveness(const Token &t)
{
    static const char *words[] = {"group", "having", "union", "intersect", "except",
                                  "join", "window", "natural", "cross"};
    if (t.depth != 0 || t.kind != Token::Word)
        return false;
    for (const char *w : words) {
        if (t.text == QLatin1String(w))
            return true;
    }
    return false;
}

// Reads "*", "col", "t.col" or "t.*" items separated by commas, up to FROM.
// Returns the index of FROM, or -1 when the list holds anything else.
int readColumnList(const QList<Token> &tokens, int i, QStringList *columns)
{
    bool expectItem = true;
    bool star = false;
    for (; i < tokens.size(); ++i) {
        const Token &t = tokens[i];
        if (!expectItem) {
            if (isWord(t, "from"))
                return (star && !columns->isEmpty()) ? -1 : i;
            if (!isSymbol(t, ','))
                return -1;
            expectItem = true;
            continue;
        }
        if (isName(t) && i + 2 < tokens.size() && isSymbol(tokens[i + 1], '.')) {
            i += 2;  // a qualified item: look at what follows the dot
        }
        const Token &item = tokens[i];
        if (isSymbol(item, '*')) {
            if (star || !columns->isEmpty())
                return -1;
            star = true;
        } else if (isName(item) && !isWord(item, "from")) {
            if (star)
                return -1;
            columns->append(item.text);
        } else {
            return -1;
        }
        expectItem = false;
    }
    return -1;
}

QStringList originalSpelling(const QString &sql, const QList<Token> &tokens, int from, int to)
{
    QStringList names;
    for (int i = from; i < to; ++i) {
        const Token &t = tokens[i];
        if (!isName(t))
            continue;
        if (i + 1 < to && isSymbol(tokens[i + 1], '.'))
            continue;  // a table qualifier
        if (t.kind == Token::Identifier) {
            names.append(t.text);
        } else {
            int end = t.pos;
            while (end < sql.size() && isWordChar(sql[end]))
                ++end;
            names.append(sql.mid(t.pos, end - t.pos));
        }
    }
    return names;
}

} // namespace

namespace SqlText {

QString firstKeyword(const QString &sql)
{
    const QList<Token> tokens = tokenize(sql);
    return tokens.isEmpty() ? QString() : tokens.first().text;
}

LiveSelect analyseSelect(const QString &sql)
{
    LiveSelect result;
    const QList<Token> tokens = tokenize(sql);
    if (tokens.isEmpty() || !isWord(tokens[0], "select"))
        return result;
    int i = 1;
    if (i < tokens.size() && isWord(tokens[i], "all"))
        ++i;
    const int firstColumn = i;
    QStringList columns;
    const int fromIndex = readColumnList(tokens, i, &columns);
    if (fromIndex < 0 || fromIndex + 1 >= tokens.size() || !isName(tokens[fromIndex + 1]))
        return result;
    int next = fromIndex + 2;
    if (next < tokens.size() && isWord(tokens[next], "as"))
        ++next;
    if (next < tokens.size() && tokens[next].kind != Token::String && isName(tokens[next])
        && !startsTail(tokens[next]) && !breaksLiveness(tokens[next]))
        ++next;  // a table alias
    if (next < tokens.size() && !startsTail(tokens[next]))
        return result;
    for (int k = next; k < tokens.size(); ++k) {
        if (breaksLiveness(tokens[k]))
            return result;
    }
    const Token &table = tokens[fromIndex + 1];
    result.live = true;
    result.wholeTable = next == tokens.size();
    result.table = table.kind == Token::Identifier
                       ? table.text
                       : originalSpelling(sql, tokens, fromIndex + 1, fromIndex + 2).value(0);
    result.columns = originalSpelling(sql, tokens, firstColumn, fromIndex);
    result.recnoSql = sql.left(tokens[firstColumn].pos) + QStringLiteral(" rowid as ")
                      + QLatin1String(RecnoColumn) + QLatin1Char(' ')
                      + sql.mid(tokens[fromIndex].pos);
    return result;
}

QString missingTable(const QString &sqliteMessage)
{
    static const QString prefix = QStringLiteral("no such table: ");
    if (!sqliteMessage.startsWith(prefix))
        return {};
    QString name = sqliteMessage.mid(prefix.size()).trimmed();
    if (name.startsWith(QLatin1String("main."), Qt::CaseInsensitive))
        name = name.mid(5);
    return name;
}

} // namespace SqlText
