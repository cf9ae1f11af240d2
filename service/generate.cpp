// Catalog generator: invented but plausible titles of freely licensed and public-domain works
// (distribution images, open movies, old books, recordings, lectures, data dumps). Info-hashes
// are made up. A fixed 64-bit mixer keeps the output identical on every platform.
#include <cstdio>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "service/catalog.h"

namespace tovik::service {

namespace {

class Rng {
  public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::int64_t Range(std::int64_t lo, std::int64_t hi) {  // inclusive
        return lo + static_cast<std::int64_t>(Next() % static_cast<std::uint64_t>(hi - lo + 1));
    }
    template <typename T>
    const T& Pick(std::span<const T> items) {
        return items[Next() % items.size()];
    }
    bool Chance(int percent) { return Range(1, 100) <= percent; }

  private:
    std::uint64_t state_;
};

using Names = std::span<const char* const>;

// "{v}" takes one of the versions after the "|".
constexpr const char* kDistros[] = {
    "Debian {v} amd64 netinst|10.13.0,11.7.0,11.8.0,12.0.0,12.2.0,12.4.0,12.5.0",
    "Debian {v} amd64 DVD-1|11.6.0,12.1.0,12.4.0",
    "Ubuntu {v} LTS Desktop amd64|18.04.6,20.04.6,22.04.3,22.04.4,24.04",
    "Ubuntu Server {v} amd64|20.04.6,22.04.3,23.10,24.04",
    "Fedora Workstation {v} x86_64 Live|36,37,38,39,40",
    "openSUSE Leap {v} DVD x86_64|15.3,15.4,15.5",
    "Linux Mint {v} Cinnamon 64-bit|20.3,21.1,21.2,21.3",
    "Arch Linux {v} x86_64|2023.09.01,2023.11.01,2024.01.01,2024.03.01",
    "FreeBSD {v}-RELEASE amd64 disc1|12.4,13.2,14.0",
    "Rocky Linux {v} x86_64 minimal|8.8,9.2,9.3",
    "AlmaLinux {v} x86_64 DVD|8.9,9.3",
    "Kali Linux {v} installer amd64|2023.3,2023.4,2024.1",
    "Manjaro KDE {v} x86_64|22.1.3,23.0.4",
    "deepin 深度操作系统 {v} amd64|20.9,23",
    "openKylin 开放麒麟 {v} x86_64|1.0,1.0.1,2.0",
    "Debian {v} 官方安装镜像 arm64|11.8.0,12.4.0",
    "Raspberry Pi OS {v} arm64 Lite|2023-05-03,2023-12-05",
    "Alpine Linux {v} x86_64 standard|3.17.5,3.18.4,3.19.0",
    "Tails {v} USB image|5.19,5.20,6.0",
    "Proxmox VE {v} ISO Installer|7.4-1,8.0-2,8.1-1",
};

constexpr const char* kMovies[] = {
    "Big Buck Bunny",
    "Sintel",
    "Tears of Steel",
    "Elephants Dream",
    "Cosmos Laundromat",
    "Spring",
    "Agent 327: Operation Barbershop",
    "Caminandes: Llamigos",
    "Sprite Fright",
    "Charge",
    "Coffee Run",
    "大雄兔 Big Buck Bunny",
    "辛特尔 Sintel",
    "钢铁之泪 Tears of Steel",
    "Night of the Living Dead (1968)",
    "Nosferatu (1922)",
    "The General (1926)",
    "Sherlock Jr. (1924)",
    "His Girl Friday (1940)",
    "Charade (1963)",
    "The Kid (1921)",
    "神女 (1934)",
    "渔光曲 (1934)",
    "马路天使 (1937)",
    "十字街头 (1937)",
    "卓别林 寻子遇仙记 (1921)",
    "The Cabinet of Dr. Caligari (1920)",
    "Plan 9 from Outer Space",
};

constexpr const char* kBooks[] = {
    "红楼梦 曹雪芹 全本",
    "西游记 吴承恩 百回本",
    "三国演义 罗贯中",
    "水浒传 施耐庵 一百二十回",
    "聊斋志异 蒲松龄",
    "儒林外史 吴敬梓",
    "论语 注释本",
    "道德经 帛书校注",
    "唐诗三百首",
    "宋词三百首",
    "史记 司马迁 全130卷",
    "资治通鉴 司马光",
    "鲁迅全集",
    "呐喊 鲁迅",
    "朝花夕拾 鲁迅",
    "Pride and Prejudice - Jane Austen",
    "Moby-Dick - Herman Melville",
    "Alice's Adventures in Wonderland - Lewis Carroll",
    "The Adventures of Sherlock Holmes",
    "Don Quixote - Miguel de Cervantes",
    "The Count of Monte Cristo",
    "War and Peace - Leo Tolstoy",
    "Les Misérables - Victor Hugo",
    "Dante's Divine Comedy",
    "Frankenstein; or, The Modern Prometheus",
    "Twenty Thousand Leagues Under the Seas",
    "The Time Machine - H. G. Wells",
    "Grimms' Fairy Tales",
    "Aesop's Fables",
    "The Art of War - Sun Tzu (孙子兵法)",
};

constexpr const char* kChineseBookForms[] = {
    "EPUB",       "PDF 扫描版", "TXT 精校版", "MOBI + EPUB + AZW3",
    "有声书 MP3", "评书 全集",  "插图本 PDF",
};
constexpr const char* kEnglishBookForms[] = {
    "EPUB",
    "PDF",
    "MOBI + EPUB + AZW3",
    "LibriVox audiobook MP3",
    "Project Gutenberg HTML",
    "中英对照 EPUB",
    "有声书 MP3",
};

constexpr const char* kMusic[] = {
    "J.S. Bach - Goldberg Variations (Open Goldberg)",
    "Beethoven - Symphony No. 9 (Musopen)",
    "Chopin - Nocturnes, Complete",
    "Mozart - Requiem in D minor",
    "Vivaldi - The Four Seasons",
    "Erik Satie - Gymnopédies",
    "Scott Joplin - Piano Rags",
    "贝多芬 第九交响曲 合唱",
    "巴赫 哥德堡变奏曲",
    "肖邦 夜曲全集",
    "二泉映月 阿炳 1950 录音",
    "高山流水 古琴曲集",
    "Debussy - Clair de lune & Suite bergamasque",
    "Holst - The Planets, Op. 32",
    "Public Domain Jazz 1920s: Rock & Roll Roots",
    "Tchaikovsky - Swan Lake #1-#4",
};

constexpr const char* kCourses[] = {
    "MIT 18.06 线性代数 Gilbert Strang 全35讲",
    "MIT 6.006 Introduction to Algorithms",
    "CS50 Introduction to Computer Science",
    "Stanford CS229 Machine Learning",
    "清华大学 数据结构 邓俊辉",
    "北京大学 高等数学 公开课",
    "Learn C# in 24 Lectures",
    "C++20 Talks Collection",
    "Structure and Interpretation of Computer Programs (SICP) 视频",
    "The Feynman Lectures on Physics 费曼物理学讲义",
    "Khan Academy 微积分 中文字幕",
    "Blender 入门到精通 教程",
    "Python 3 编程基础 100% 实例",
    "Linux 命令行与 Shell 脚本",
};

constexpr const char* kData[] = {
    "Wikipedia zhwiki 中文维基百科 dump {d}",
    "Wikipedia enwiki pages-articles {d}",
    "OpenStreetMap China 中国 extract {d}",
    "OpenStreetMap planet {d}",
    "Project Gutenberg DVD {y}",
    "Common Voice 中文语料 {d}",
    "NASA Apollo 11 影像档案",
    "Internet Archive 老电影合集 {y}",
    "Blender {v} Linux x64",
    "LibreOffice {v} 安装包 Windows",
    "GIMP {v} 全平台安装包",
    "Krita {v} portable",
    "Inkscape {v} AppImage",
    "Godot Engine {v}",
};

constexpr const char* kQuality[] = {"720p", "1080p", "2160p 4K", "1080p HDR", "480p DVDRip"};
constexpr const char* kVideoTags[] = {"",          " 中英字幕",     " 国语配音", " 英语原声",
                                      " 简繁字幕", " English subs", " 修复版",   " 导演剪辑版"};
constexpr const char* kContainer[] = {"MKV", "MP4", "WebM", "AVI"};
constexpr const char* kAudioForm[] = {"FLAC", "MP3 320k", "APE 整轨", "OGG Vorbis", "WAV 24bit"};

std::string Replace(std::string text, const char* key, const std::string& value) {
    const auto at = text.find(key);
    if (at != std::string::npos) {
        text.replace(at, std::char_traits<char>::length(key), value);
    }
    return text;
}

std::string Version(Rng& rng) {
    std::string v = std::to_string(rng.Range(1, 9)) + "." + std::to_string(rng.Range(0, 12));
    if (rng.Chance(40)) {
        v += "." + std::to_string(rng.Range(0, 9));
    }
    return v;
}

std::string Date(Rng& rng) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", static_cast<int>(rng.Range(2012, 2024)),
                  static_cast<int>(rng.Range(1, 12)), static_cast<int>(rng.Range(1, 28)));
    return buf;
}

std::string Hash(Rng& rng) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%016llx%016llx%08llx",
                  static_cast<unsigned long long>(rng.Next()),
                  static_cast<unsigned long long>(rng.Next()),
                  static_cast<unsigned long long>(rng.Next() & 0xFFFFFFFFull));
    return buf;
}

constexpr std::int64_t kMiB = 1024 * 1024;

Entry Make(Rng& rng) {
    Entry e;
    e.date = Date(rng);
    const auto kind = rng.Range(0, 9);
    if (kind <= 1) {
        const std::string distro = rng.Pick(Names(kDistros));
        const auto bar = distro.find('|');
        std::vector<std::string> versions;
        for (std::size_t at = bar + 1; at <= distro.size();) {
            auto comma = distro.find(',', at);
            comma = comma == std::string::npos ? distro.size() : comma;
            versions.push_back(distro.substr(at, comma - at));
            at = comma + 1;
        }
        e.title =
            Replace(distro.substr(0, bar), "{v}", rng.Pick(std::span<const std::string>(versions)));
        e.title += ".iso";
        e.size = rng.Range(300, 4700) * kMiB + rng.Range(0, kMiB);
        e.files = 1;
    } else if (kind <= 3) {
        e.title = std::string(rng.Pick(Names(kMovies))) + " " + rng.Pick(Names(kQuality)) +
                  rng.Pick(Names(kVideoTags)) + " " + rng.Pick(Names(kContainer));
        e.size = rng.Range(180, 9000) * kMiB + rng.Range(0, kMiB);
        e.files = rng.Range(1, 4);
    } else if (kind <= 5) {
        const std::string book = rng.Pick(Names(kBooks));
        const bool chinese = static_cast<unsigned char>(book[0]) >= 0x80;
        const std::string form =
            rng.Pick(chinese ? Names(kChineseBookForms) : Names(kEnglishBookForms));
        e.title = book + " " + form;
        const bool audio =
            form.find("MP3") != std::string::npos || form.find("评书") != std::string::npos;
        e.size = audio ? rng.Range(120, 2400) * kMiB : rng.Range(200, 90000) * 1024;
        e.files = audio ? rng.Range(12, 480) : rng.Range(1, 3);
    } else if (kind <= 7) {
        e.title = std::string(rng.Pick(Names(kMusic))) + " [" + rng.Pick(Names(kAudioForm)) + "]";
        e.size = rng.Range(90, 1800) * kMiB + rng.Range(0, kMiB);
        e.files = rng.Range(4, 60);
    } else if (kind == 8) {
        e.title = std::string(rng.Pick(Names(kCourses))) + " " + rng.Pick(Names(kQuality));
        e.size = rng.Range(800, 40000) * kMiB;
        e.files = rng.Range(10, 120);
    } else {
        std::string t = rng.Pick(Names(kData));
        t = Replace(t, "{d}", e.date.substr(0, 4) + e.date.substr(5, 2) + "01");
        t = Replace(t, "{y}", e.date.substr(0, 4));
        const bool software = t.find("{v}") != std::string::npos;
        e.title = Replace(t, "{v}", Version(rng));
        e.size =
            (software ? rng.Range(40, 900) : rng.Range(50, 120000)) * kMiB + rng.Range(0, kMiB);
        e.files = software ? rng.Range(1, 5) : rng.Range(1, 30);
    }
    e.hash = Hash(rng);
    return e;
}

}  // namespace

void GenerateCatalog(std::ostream& out, std::int64_t count, std::uint64_t seed) {
    Rng rng(seed);
    out << "# title\tsize in bytes\tdate\tfile count\tinfo-hash (generated sample data)\n";
    for (std::int64_t i = 0; i < count; ++i) {
        out << FormatCatalogLine(Make(rng)) << '\n';
    }
}

}  // namespace tovik::service
