#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <memory>

#include "db/DbError.h"
#include "db/RowChecksum.h"

// Rows carried from a connection that reads to another that writes: the image of a memory
// database that holds them in one table, in the order they were read.
struct RowImage {
    std::shared_ptr<unsigned char> bytes;  // as the engine made it, freed by the engine
    qint64 size = 0;
    qint64 rows = 0;
    // Of the rows as they are stored: what a file holds after they were appended to it.
    std::optional<RowChecksum> checksum;
};

// Reads the rows of query (its "?" marks filled by bindings) on db, a connection on a database
// file, into a memory database and answers its image. The table takes the columns as the source
// declares them. Works inside a read transaction that stays open.
DbResult ReadRowsIntoImage(const QSqlDatabase& db, const QString& query,
                           const QVariantList& bindings, RowImage* image);

// The same for rows of a query on a server (server, a connection of another make than a file):
// the table takes the columns as a copy of the server's rows into a file does.
DbResult ReadServerRowsIntoImage(const QSqlDatabase& server, const QString& query,
                                 const QVariantList& bindings, RowImage* image);

// Appends the rows of images to tables of database files, on one connection that stays open
// while the file stays the same. Used on one thread.
class ImageWriter {
public:
    ImageWriter();
    ~ImageWriter();
    ImageWriter(const ImageWriter&) = delete;
    ImageWriter& operator=(const ImageWriter&) = delete;

    // Appends the rows of an image to table in file, creating the table first with the image's
    // columns when asked. The rows go over as stored, in their order, without being read apart
    // again. rows receives the rows written.
    DbResult append(const RowImage& image, const QString& file, const QString& table, bool create,
                    qint64* rows);
    void close();

private:
    QString name_;
    QString file_;
};
