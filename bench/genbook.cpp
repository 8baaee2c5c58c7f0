// Writes a deterministic synthetic Russian book in Windows-1251 with CR LF line ends.
//   genbook OUT BYTES            lines of 20 to 300 characters
//   genbook OUT BYTES --single   one line without any terminator
//   genbook OUT BYTES --fb2      the same lines as the paragraphs of a UTF-8 FictionBook, in
//                                chapters of 40 paragraphs
// Prints the number of lines and the commonest letter of the text (as UTF-8) on stdout.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Common words of ordinary prose; none of the search words the comparison uses is among them.
constexpr std::string_view kWords[] = {
    "и",         "в",       "не",        "на",       "я",       "он",       "что",     "с",
    "как",       "а",       "то",        "все",      "она",     "так",      "его",     "но",
    "да",        "ты",      "к",         "у",        "же",      "вы",       "за",      "бы",
    "по",        "только",  "ее",        "мне",      "было",    "вот",      "от",      "меня",
    "еще",       "нет",     "о",         "из",       "ему",     "теперь",   "когда",   "даже",
    "ну",        "вдруг",   "ли",        "если",     "уже",     "или",      "ни",      "быть",
    "был",       "него",    "до",        "вас",      "нибудь",  "опять",    "уж",      "вам",
    "ведь",      "там",     "потом",     "себя",     "ничего",  "ей",       "может",   "они",
    "тут",       "где",     "есть",      "надо",     "ней",     "для",      "мы",      "тебя",
    "их",        "чем",     "была",      "сам",      "чтоб",    "без",      "будто",   "чего",
    "раз",       "тоже",    "себе",      "под",      "будет",   "ж",        "тогда",   "кто",
    "этот",      "того",    "потому",    "этого",    "какой",   "совсем",   "ним",     "здесь",
    "этом",      "один",    "почти",     "мой",      "тем",     "чтобы",    "нее",     "сейчас",
    "были",      "куда",    "зачем",     "всех",     "никогда", "можно",    "при",     "наконец",
    "два",       "об",      "другой",    "хоть",     "после",   "над",      "больше",  "тот",
    "через",     "эти",     "нас",       "про",      "всего",   "них",      "какая",   "много",
    "разве",     "три",     "эту",       "моя",      "впрочем", "хорошо",   "свою",    "этой",
    "перед",     "иногда",  "лучше",     "чуть",     "том",     "нельзя",   "такой",   "им",
    "более",     "всегда",  "конечно",   "всю",      "между",   "дом",      "дорога",  "город",
    "окно",      "дверь",   "стол",      "лес",      "река",    "поле",     "небо",    "солнце",
    "вечер",     "утро",    "ночь",      "день",     "год",     "время",    "жизнь",   "голова",
    "рука",      "глаза",   "лицо",      "слово",    "дело",    "человек",  "земля",   "вода",
    "огонь",     "ветер",   "снег",      "дождь",    "старик",  "мальчик",  "девушка", "отец",
    "мать",      "брат",    "сестра",    "друг",     "товарищ", "говорил",  "сказал",  "ответил",
    "спросил",   "подумал", "посмотрел", "пошел",    "пришел",  "увидел",   "услышал", "знал",
    "хотел",     "мог",     "стоял",     "сидел",    "лежал",   "шел",      "ехал",    "большой",
    "маленький", "старый",  "новый",     "белый",    "черный",  "красный",  "зеленый", "тихий",
    "громкий",   "долгий",  "короткий",  "светлый",  "темный",  "холодный", "теплый",  "медленно",
    "быстро",    "тихо",    "громко",    "далеко",   "близко",  "высоко",   "низко",   "рано",
    "поздно",    "снова",   "вместе",    "отдельно", "сначала", "обратно",  "вперед",  "назад",
    "ёлка",      "её",      "ещё",       "всё",      "костёр",  "самолёт",  "берёза",  "пётр",
    "алёна",     "Москва",  "Петербург", "Волга",    "Иван",    "Мария",    "Анна",    "Сергей",
    "Николай",   "Ольга",   "Наташа",    "письмо",   "книга",   "песня",    "работа",  "история",
    "память",    "мысль",   "сердце",    "душа",     "дорогу",  "города",   "окном",   "дверью",
    "столом",    "лесу",    "реке",      "полем",    "небе",    "стороны",  "вопрос",  "ответ",
    "правда",    "надежда", "радость",   "печаль",   "тишина",
};

constexpr std::string_view kEnds[] = {".", ".", ".", ",", ",", ",", ",", "!", "?", ";", ":", "..."};

// UTF-8 Cyrillic and ASCII to Windows-1251.
std::string toCp1251(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += char(c);
            ++i;
            continue;
        }
        const unsigned cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
        i += 2;
        if (cp >= 0x410 && cp <= 0x44F)
            out += char(0xC0 + (cp - 0x410));
        else if (cp == 0x401)
            out += char(0xA8);
        else if (cp == 0x451)
            out += char(0xB8);
        else
            out += '?';
    }
    return out;
}

std::string fromCp1251(unsigned char b) {
    unsigned cp = b;
    if (b >= 0xC0) cp = 0x410 + (b - 0xC0);
    if (b == 0xA8) cp = 0x401;
    if (b == 0xB8) cp = 0x451;
    if (cp < 0x80) return std::string(1, char(cp));
    return {char(0xC0 | (cp >> 6)), char(0x80 | (cp & 0x3F))};
}

// splitmix64: small, fast, and the same sequence everywhere.
struct Rng {
    std::uint64_t s;
    std::uint64_t next() {
        std::uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t n) { return std::size_t(next() % n); }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: genbook OUT BYTES [--single|--fb2]\n");
        return 2;
    }
    const char* out = argv[1];
    const std::size_t total = std::strtoull(argv[2], nullptr, 10);
    const bool single = argc > 3 && std::strcmp(argv[3], "--single") == 0;
    const bool fb2 = argc > 3 && std::strcmp(argv[3], "--fb2") == 0;

    std::vector<std::string> words;
    for (auto w : kWords) words.push_back(toCp1251(w));
    std::vector<std::string> capital;
    for (auto& w : words) {
        std::string c = w;
        const unsigned char b = static_cast<unsigned char>(c[0]);
        if (b >= 0xE0) c[0] = char(b - 0x20);
        if (b == 0xB8) c[0] = char(0xA8);
        capital.push_back(c);
    }

    std::FILE* f = std::fopen(out, "wb");
    if (!f) {
        std::perror(out);
        return 1;
    }
    Rng rng{20240611};
    std::array<std::uint64_t, 256> counts{};
    bool sentenceStart = true;
    bool firstWord = true;
    // Appends one word, sometimes with a punctuation mark after it.
    auto addWord = [&](std::string& s) {
        const std::size_t k = rng.below(words.size());
        if (!firstWord) s += ' ';
        firstWord = false;
        s += sentenceStart ? capital[k] : words[k];
        sentenceStart = false;
        if (rng.below(8) == 0) {
            s += kEnds[rng.below(std::size(kEnds))];
            sentenceStart = s.back() != ',' && s.back() != ';' && s.back() != ':';
        }
    };
    auto emit = [&](const std::string& s) {
        for (unsigned char c : s) ++counts[c];
        if (std::fwrite(s.data(), 1, s.size(), f) != s.size()) {
            std::perror(out);
            std::exit(1);
        }
    };

    std::size_t written = 0;
    std::uint64_t lines = 0;
    std::string buf;
    if (single) {
        lines = 1;
        while (written < total) {
            buf.clear();
            while (buf.size() < (4u << 20)) addWord(buf);
            buf.resize(std::min(buf.size(), total - written));
            emit(buf);
            written += buf.size();
        }
    } else {
        std::string line;
        if (fb2) {
            buf +=
                "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<FictionBook xmlns=\""
                "http://www.gribuser.ru/xml/fictionbook/2.0\">\n<description><title-info>"
                "<author><last-name>genbook</last-name></author><book-title>Synthetic"
                "</book-title></title-info></description>\n<body>\n";
            written = buf.size();
        }
        while (written < total) {
            // Lengths 20..300, short lines commoner: about a million lines per 100 MB.
            const double u = double(rng.next() >> 11) / double(1ull << 53);
            const std::size_t len = 20 + std::size_t(std::pow(u, 2.5) * 280.0);
            line.clear();
            firstWord = true;
            while (line.size() < len) addWord(line);
            line.resize(len);
            if (line.back() == ' ') line.back() = '.';
            if (fb2) {
                const std::size_t before = buf.size();
                if (lines % 40 == 0)
                    buf += std::string(lines ? "</section>\n" : "") +
                           "<section><title><p>Chapter " + std::to_string(lines / 40 + 1) +
                           "</p></title>\n";
                buf += "<p>";
                for (const unsigned char c : line) buf += fromCp1251(c);
                buf += "</p>\n";
                written += buf.size() - before;
            } else {
                buf += line;
                buf += "\r\n";
                written += len + 2;
            }
            ++lines;
            if (buf.size() >= (4u << 20)) {
                emit(buf);
                buf.clear();
            }
        }
        if (fb2) buf += "</section>\n</body>\n</FictionBook>\n";
        emit(buf);
    }
    if (std::fclose(f) != 0) {
        std::perror(out);
        return 1;
    }
    // The commonest letter, upper and lower case counted together.
    std::array<std::uint64_t, 256> letters{};
    for (int c = 0xC0; c <= 0xDF; ++c) letters[std::size_t(c + 0x20)] += counts[std::size_t(c)];
    for (int c = 0xE0; c <= 0xFF; ++c) letters[std::size_t(c)] += counts[std::size_t(c)];
    std::size_t best = 0xE0;
    for (std::size_t c = 0xE0; c <= 0xFF; ++c)
        if (letters[c] > letters[best]) best = c;
    std::printf("lines %llu\ncommonest %s\n", static_cast<unsigned long long>(lines),
                fromCp1251(static_cast<unsigned char>(best)).c_str());
    return 0;
}
