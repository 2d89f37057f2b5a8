#pragma once
#include "DocxPackage.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace pugi { class xml_document; class xml_node; }

// A new document made from a template: its text is changed only by inserting
// text after named bookmarks, the rest of the template stays as it was.
//
// Inserted text takes the run format of its neighbour (the run before the
// bookmark, else the one after it, else the paragraph mark's). A line feed
// (alone or after a carriage return) becomes a line break, a carriage return
// alone a new paragraph, a tab a tab; characters an XML file cannot hold are
// dropped. Errors throw WordError: a template that is no document, a
// bookmark the template lacks (named in the message).
class DocxDocument
{
public:
    static DocxDocument fromTemplate(const QString &templatePath);
    static DocxDocument fromPackage(DocxPackage package, const QString &nameForErrors);
    DocxDocument(DocxDocument &&) noexcept;
    DocxDocument &operator=(DocxDocument &&) noexcept;
    ~DocxDocument();

    QStringList bookmarkNames() const;  // in document order
    bool hasBookmark(const QString &name) const;
    void insertAfter(const QString &bookmark, const QString &text);

    // The finished document: a document package (no longer a template).
    DocxPackage toPackage() const;

private:
    DocxDocument();
    void indexBookmarks();
    pugi::xml_node insertionAnchor(const QString &bookmark) const;

    struct Place;

    DocxPackage m_package;
    QString m_name;
    std::unique_ptr<pugi::xml_document> m_xml;
    QHash<QString, std::shared_ptr<Place>> m_places;  // bookmark name -> where text goes
    QStringList m_bookmarkOrder;
};

// The text as XML 1.0 can hold it: characters outside its range (control
// characters but tab, line feed and carriage return; lone surrogates; the two
// non-characters U+FFFE and U+FFFF) are dropped.
QString xmlSafeText(const QString &text);
