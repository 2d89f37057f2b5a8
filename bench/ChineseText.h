#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>
#include <random>

// A seeded source of plausible registration texts: achievement names, people,
// units, addresses and long memo texts. The same seed gives the same texts on
// every run, so figures of two runs compare.
class ChineseText
{
public:
    explicit ChineseText(std::uint32_t seed) : m_rng(seed) {}

    // Uniform in lo..hi (both included).
    int between(int lo, int hi);
    bool chance(int percent);
    template<typename List> const auto &pickFrom(const List &list)
    {
        return list.at(between(0, int(list.size()) - 1));
    }
    QString digits(int count);

    // 10 to 40 characters; the category ('1', '2', '3') colours the wording.
    QString achievementName(QChar category);
    QString projectName();
    QString keywords();           // up to three joined by ";"
    QString personName();
    QString unitName();
    QString address();
    QString phone();
    QString speciality();
    QString contribution();       // at most 70 characters
    QString patentName();
    QString softwareName();
    // Paragraphs separated by CR LF whose GBK form is minBytes..maxBytes long.
    QString memo(int minBytes, int maxBytes);
    // Codes each followed by ";", drawn from the given pool.
    QString multiCode(const QStringList &pool, int maxCodes);

    // GBK byte length of the texts made here (ASCII one byte, all else two).
    static int gbkBytes(const QString &text);

private:
    QString sentence();

    std::mt19937 m_rng;
};
