#pragma once

#include <filesystem>
#include <vector>

#include <QFile>
#include <QString>
#include <QXmlStreamReader>

namespace kestle::test {

struct TsMessage {
    QString context;
    QString source;
    QString translation; // plural forms read as one text
    bool finished = false;
};

// The messages of a Qt Linguist file in their order; none when it cannot be read.
inline std::vector<TsMessage> readTs(const std::filesystem::path& file,
                                     bool* wellFormed = nullptr) {
    std::vector<TsMessage> messages;
    QFile input(QString::fromStdString(file.string()));
    if (!input.open(QIODevice::ReadOnly)) {
        return messages;
    }
    QXmlStreamReader xml(&input);
    QString context;
    QString source;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"source") {
            source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            const bool finished = xml.attributes().value(QStringLiteral("type")).isEmpty();
            messages.push_back({context, source,
                                xml.readElementText(QXmlStreamReader::IncludeChildElements),
                                finished});
        }
    }
    if (wellFormed != nullptr) {
        *wellFormed = !xml.hasError();
    }
    return messages;
}

} // namespace kestle::test
