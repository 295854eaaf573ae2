// Writes a list file as a Windows user's catalogue of a million media looks, and beside it the
// idx2 keys of its rows, one a line, for the reference sort.
// Usage: verdan_gen_list ROWS LIST_FILE KEYS_FILE
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "util/cp1252.h"

namespace {

// Deterministic on every platform, unlike the standard distributions.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return m_state;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    template <class T> const T& pick(const std::vector<T>& v) {
        return v[static_cast<std::size_t>(below(static_cast<int>(v.size())))];
    }

private:
    std::uint64_t m_state;
};

std::vector<std::string> encodeAll(const std::vector<std::string>& utf8) {
    std::vector<std::string> out;
    for (const auto& s : utf8) out.push_back(verdan::cp1252::encode(s));
    return out;
}

const std::vector<std::string> kWords =
    encodeAll({"Le",        "la",         "les",        "de",       "du",
               "des",       "à",          "et",         "château",  "mère",
               "père",      "été",        "hiver",      "Noël",     "forêt",
               "île",       "trésor",     "Misérables", "éléphant", "cœur",
               "fenêtre",   "garçon",     "rivière",    "étoile",   "français",
               "Amélie",    "Poulain",    "fête",       "océan",    "théâtre",
               "dernière",  "première",   "Saison",     "épisode",  "concert",
               "Live",      "remastered", "Symphonie",  "n°",       "Bœuf",
               "l'aube",    "crépuscule", "Éric",       "Hélène",   "Zoé",
               "Françoise", "Joël",       "Cédric",     "voyage",   "au",
               "bout",      "nuit",       "Paris",      "Montréal", "Québec",
               "Genève",    "Lyon",       "Marseille",  "Bretagne", "Provence",
               "goût",      "âge",        "où",         "sûr",      "Les Visiteurs",
               "Astérix",   "Obélix",     "Tintin",     "Gaston",   "Lagaffe",
               "1080p",     "720p",       "VOSTFR",     "MULTi",    "x264",
               "HDR",       "CD1",        "CD2",        "part",     "II"});

const std::vector<std::string> kFolders = encodeAll({"films",
                                                     "séries",
                                                     "musique",
                                                     "vidéos",
                                                     "documentaires",
                                                     "dessins animés",
                                                     "concerts",
                                                     "2019",
                                                     "2020",
                                                     "2021",
                                                     "2022",
                                                     "2023",
                                                     "comédies",
                                                     "drames",
                                                     "policiers",
                                                     "science-fiction",
                                                     "jazz",
                                                     "classique",
                                                     "variété française",
                                                     "rock",
                                                     "à trier",
                                                     "archives",
                                                     "sauvegarde",
                                                     "Noël 2018",
                                                     "vacances été",
                                                     "enfants",
                                                     "Saison 1",
                                                     "Saison 2"});

struct Disk {
    std::string label, serial, type, free, total;
    char drive;
};

std::string sizeText(Random& rnd, int minMb, int maxMb) {
    const double mb = rnd.between(minMb, maxMb) + rnd.below(100) / 100.0;
    char text[32];
    if (mb >= 1024) {
        std::snprintf(text, sizeof text, "%.2f Go", mb / 1024);
    } else if (mb >= 1) {
        std::snprintf(text, sizeof text, "%.2f Mo", mb);
    } else {
        std::snprintf(text, sizeof text, "%d Ko", static_cast<int>(mb * 1024));
    }
    std::string s(text);
    for (char& c : s) {
        if (c == '.') c = ',';
    }
    return s;
}

std::vector<Disk> makeDisks(Random& rnd) {
    const std::vector<std::string> names = encodeAll({"FILMS", "SÉRIES", "MUSIQUE", "SAUVEGARDE", "VIDÉOS",
                                                      "DOCS", "ARCHIVES", "Données", "NAS", "DVD_ÉTÉ"});
    const std::vector<std::string> types = {"disque", "USB", "USB", "DVD", "Reseau"};
    std::vector<Disk> disks;
    for (int i = 0; i < 50; ++i) {
        Disk d;
        d.label = names[static_cast<std::size_t>(i % 10)] + "_" + std::to_string(i / 10 + 1);
        char serial[16];
        std::snprintf(serial, sizeof serial, "%08X", static_cast<unsigned>(rnd.next() & 0xFFFFFFFFu));
        d.serial = serial;
        d.type = types[static_cast<std::size_t>(i % 5)];
        d.free = sizeText(rnd, 1000, 900000);
        d.total = sizeText(rnd, 900000, 4000000);
        d.drive = static_cast<char>('D' + i % 20);
        disks.push_back(d);
    }
    return disks;
}

std::string title(Random& rnd) {
    const int length = rnd.between(10, 80);
    std::string t;
    while (static_cast<int>(t.size()) < length) {
        if (!t.empty()) t += rnd.below(6) == 0 ? " - " : " ";
        t += rnd.pick(kWords);
    }
    t.resize(static_cast<std::size_t>(length));
    while (!t.empty() && t.back() == ' ') t.pop_back();
    return t;
}

std::string folder(Random& rnd) {
    std::string f = ":";
    const int levels = rnd.between(2, 6);
    for (int i = 0; i < levels; ++i) f += "\\" + rnd.pick(kFolders);
    return f;
}

std::string padNumber(long long n) {
    std::string s = std::to_string(n);
    return std::string(2 * (9 - s.size()), ' ') + s;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s ROWS LIST_FILE KEYS_FILE\n", argv[0]);
        return 2;
    }
    const long long rows = std::atoll(argv[1]);
    std::ofstream list(argv[2], std::ios::binary);
    std::ofstream keys(argv[3], std::ios::binary);
    Random rnd(0x5EED1234ABCDULL);
    const std::vector<Disk> disks = makeDisks(rnd);
    const std::vector<std::string> videoExt = {".avi", ".mkv", ".mp4", ".AVI", ".mov", ".wmv", ".ts"};
    const std::vector<std::string> musicExt = {".mp3", ".ogg", ".flac", ".MP3"};

    list << verdan::cp1252::encode("n\tnom-disque\tmédia\ttitre\text\tdate\trépertoire\ttaille "
                                   ">>\tdrive\ttype-disque\tNS-disque\tlibre\ttotal\t x\r\n");
    struct Kept {
        std::string titre, ext, disk, serial, size;
    };
    std::vector<Kept> recent;
    std::string line;
    for (long long n = 1; n <= rows; ++n) {
        const Disk& disk = disks[static_cast<std::size_t>(rnd.below(50))];
        const bool video = rnd.below(3) != 0;
        Kept k;
        if (!recent.empty() && rnd.below(10) == 0) {
            // The same file again under idx2, now and then with other letter case.
            k = recent[static_cast<std::size_t>(rnd.below(static_cast<int>(recent.size())))];
            if (rnd.below(3) == 0) {
                for (char& c : k.titre) {
                    if (c >= 'a' && c <= 'z')
                        c = static_cast<char>(c - 32);
                    else if (static_cast<unsigned char>(c) >= 0xE0 && static_cast<unsigned char>(c) <= 0xFE &&
                             static_cast<unsigned char>(c) != 0xF7)
                        c = static_cast<char>(c - 32);
                }
            }
        } else {
            k = {title(rnd), video ? rnd.pick(videoExt) : rnd.pick(musicExt), disk.label, disk.serial,
                 video ? sizeText(rnd, 50, 8000) : sizeText(rnd, 2, 60)};
            if (recent.size() < 4096) {
                recent.push_back(k);
            } else {
                recent[static_cast<std::size_t>(rnd.below(4096))] = k;
            }
        }
        char date[32];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d", rnd.between(2003, 2024),
                      rnd.between(1, 12), rnd.between(1, 28), rnd.between(0, 23), rnd.between(0, 59));
        line.clear();
        line += padNumber(n) + '\t' + k.disk + '\t' + (video ? "vid\xE9o" : "musique") + '\t' + k.titre +
                '\t' + k.ext + '\t' + date + '\t' + folder(rnd) + '\t' + k.size + '\t' + disk.drive + '\t' +
                disk.type + '\t' + k.serial + '\t' + disk.free + '\t' + disk.total + '\t' +
                (rnd.below(50) == 0 ? " x" : "") + "\r\n";
        list << line;
        keys << k.titre << k.ext << k.disk << k.serial << k.size << '\n';
    }
    return list && keys ? 0 : 1;
}
