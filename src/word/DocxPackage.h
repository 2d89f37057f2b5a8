#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

// The parts of a document package (a zip file), in their order, held in
// memory. Reading and writing throw WordError naming the file.
struct DocxPart
{
    QString name;
    QByteArray data;
};

class DocxPackage
{
public:
    static DocxPackage read(const QString &path);
    static DocxPackage fromBytes(const QByteArray &zipBytes, const QString &nameForErrors);

    const QList<DocxPart> &parts() const { return m_parts; }
    // The part's bytes; null when the package has no such part.
    QByteArray part(const QString &name) const;
    void setPart(const QString &name, const QByteArray &data);  // replaces or appends

    // The package as zip bytes (every part deflated).
    QByteArray toBytes() const;
    // Writes a new file; an existing file is never overwritten (WordError).
    void writeNew(const QString &path) const;

private:
    QList<DocxPart> m_parts;
};
