// Service replies for the regex tests and benchmarks: hits in the layout the search worker
// reads, with code page 936 text in them.
#pragma once

#include <string>
#include <vector>

namespace tovik::testing {

// The hit pattern exactly as the search worker runs it.
inline const std::string kHitPattern =
    R"re({"date": "(.*?)", "files": "(\d+)", "magnet": "(.*?)", "size": "(.*?)", "title": "(.*?)"})re";

// Code page 936 words for titles.
inline const std::string kZhongWen = "\xD6\xD0\xCE\xC4";  // 中文
inline const std::string kDianYing = "\xB5\xE7\xD3\xB0";  // 电影
inline const std::string kGaoQing = "\xB8\xDF\xC7\xE5";   // 高清
inline const std::string kHeJi = "\xBA\xCF\xBC\xAF";      // 合集
inline const std::string kGuoYu = "\xB9\xFA\xD3\xEF";     // 国语

struct Hit {
    std::string date, files, magnet, size, title;
};

inline std::string HitObject(const Hit& h) {
    return "{\"date\": \"" + h.date + "\", \"files\": \"" + h.files + "\", \"magnet\": \"" +
           h.magnet + "\", \"size\": \"" + h.size + "\", \"title\": \"" + h.title + "\"}";
}

// The service's one-line layout: every hit of the page on a single line.
inline std::string OneLineReply(const std::vector<Hit>& hits, int page = 1) {
    std::string out = "{\"page\": " + std::to_string(page) + ", \"more\": true, \"hits\": [";
    for (std::size_t i = 0; i < hits.size(); ++i) {
        out += (i ? ", " : "") + HitObject(hits[i]);
    }
    return out + "]}";
}

inline std::string LinePerHitReply(const std::vector<Hit>& hits) {
    std::string out = "{\"hits\": [\n";
    for (const Hit& h : hits) {
        out += HitObject(h) + ",\n";
    }
    return out + "]}\n";
}

inline Hit SampleHit(int n) {
    const std::string words[] = {kZhongWen, kDianYing, kGaoQing, kHeJi, kGuoYu};
    std::string hex = "0123456789abcdef0123456789abcdef01234567";
    for (std::size_t i = 0; i < hex.size(); ++i) {
        hex[i] = "0123456789abcdef"[(static_cast<std::size_t>(n) * 7 + i * 13) % 16];
    }
    return {"2023-0" + std::to_string(1 + n % 9) + "-1" + std::to_string(n % 10),
            std::to_string(1 + n % 300),
            "magnet:?xt=urn:btih:" + hex + "&dn=file" + std::to_string(n),
            std::to_string(1 + n % 97) + "." + std::to_string(n % 10) + " GB",
            words[n % 5] + " Season " + std::to_string(n % 12) + " " + words[(n + 2) % 5] +
                " 1080p WEB-DL " + words[(n + 4) % 5]};
}

// About `bytes` long, one-line layout, hits numbered from 0.
inline std::vector<Hit> SampleHits(std::size_t bytes) {
    std::vector<Hit> hits;
    std::size_t size = 0;
    for (int n = 0; size < bytes; ++n) {
        hits.push_back(SampleHit(n));
        size += HitObject(hits.back()).size() + 2;
    }
    return hits;
}

inline std::string Repeat(const std::string& piece, std::size_t bytes) {
    std::string out;
    out.reserve(bytes + piece.size());
    while (out.size() < bytes) {
        out += piece;
    }
    return out;
}

// One line of about 1 MB built so that the hit pattern backtracks over it, by name.
struct HostileLine {
    const char* name;
    std::string line;
};

inline std::vector<HostileLine> HostileLines() {
    const std::size_t mb = 1 << 20;
    const Hit good = SampleHit(1);
    return {
        // Every start runs its lazy date group to the end of the line.
        {"DateOpenings", Repeat(R"x({"date": ")x", mb) + "}"},
        // Each files value fails its digits, so the date group runs on past it.
        {"NonDigitFiles", Repeat(R"x({"date": "", "files": "x)x", mb) + "}"},
        // Nested: every date end is tried with every magnet end.
        {"OpenMagnets", Repeat(R"x({"date": "", "files": "1", "magnet": ")x", mb) + "}"},
        // Complete hits but for the closing brace.
        {"NoClosingBrace",
         Repeat(R"x({"date": "d", "files": "1", "magnet": "m", "size": "s", "title": "t" )x", mb) +
             "}"},
        // A harmless run first, so that only the tail is expensive.
        {"HostileTail",
         std::string(mb - 64 * 1024, 'a') + Repeat(R"x({"date": ")x", 64 * 1024) + "}"},
        // Expensive stretches each ended by a real hit.
        {"HitsBetweenJunk",
         Repeat(Repeat(R"x({"date": "", "files": "1", "magnet": ")x", 4000) + HitObject(good), mb)},
    };
}

}  // namespace tovik::testing
