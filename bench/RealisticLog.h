#pragma once

#include <QByteArray>

#include <array>
#include <cstdio>
#include <random>

// Web-server log lines as a busy site writes them, from a seed, so every run sees the same
// lines: a few thousand returning clients, times a second or so apart, pages with their ids
// and queries, statuses, sizes, referrers and browsers. Line i (from 0) comes from a crawler
// when i % 6 == 0, so "googlebot" matches one line in six, and asks for "/setup/restore.php"
// when i % 100000 == 99999, one line in 100 000.
class RealisticLog
{
public:
    explicit RealisticLog(unsigned seed = 1) : m_random(seed)
    {
        for (auto& client : m_clients)
            client = {int(Pick(223) + 1), int(Pick(256)), int(Pick(256)), int(Pick(254) + 1)};
    }

    QByteArray Line()
    {
        const qint64 i = m_next++;
        m_time += qint64(Pick(3));
        const auto& c = m_clients[Pick(m_clients.size())];
        char head[96];
        const qint64 t = m_time;
        std::snprintf(head, sizeof head,
                      "%d.%d.%d.%d - - [01/May/2024:%02lld:%02lld:%02lld +0200] ", c[0], c[1], c[2],
                      c[3], (t / 3600) % 24, (t / 60) % 60, t % 60);
        QByteArray line(head);
        line += "\"";
        line += Pick(10) < 8 ? "GET " : "POST ";
        line += i % 100000 == 99999 ? QByteArray("/setup/restore.php") : Path();
        line += " HTTP/1.1\" ";
        static constexpr std::array<int, 10> statuses{200, 200, 200, 200, 200,
                                                      304, 304, 302, 404, 500};
        line += QByteArray::number(statuses[Pick(statuses.size())]) + ' ';
        line += QByteArray::number(qint64(Pick(40000)) + 200) + " \"";
        static constexpr std::array<const char*, 5> referrers{
            "-", "https://www.example.com/", "https://www.google.com/",
            "https://shop.example.com/cart", "https://www.bing.com/search?q=shoes"};
        line += referrers[Pick(referrers.size())];
        line += "\" \"";
        line += i % 6 == 0
                    ? "Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)"
                    : Agent();
        line += "\" " + QByteArray::number(qint64(Pick(900)) + 3) + "ms";
        return line;
    }

private:
    size_t Pick(size_t n) { return size_t(m_random() % n); }

    QByteArray Path()
    {
        static constexpr std::array<const char*, 12> pages{
            "/shop/item.aspx?id=", "/shop/category.aspx?cat=",
            "/static/img/p",       "/api/v2/cart/",
            "/api/v2/stock?sku=",  "/blog/",
            "/account/orders/",    "/search?q=",
            "/static/js/app.",     "/static/css/site.",
            "/checkout/step",      "/images/thumbs/"};
        static constexpr std::array<const char*, 8> words{"shoes", "red+dress", "jacket",  "boots",
                                                          "sale",  "kids",      "running", "bag"};
        const size_t page = Pick(pages.size());
        QByteArray path(pages[page]);
        if (page == 7)
            return path + words[Pick(words.size())];
        path += QByteArray::number(qint64(Pick(page < 2 ? 100000 : 5000)));
        if (page == 2 || page == 11)
            path += ".jpg";
        else if (page == 8)
            path += "js";
        else if (page == 9)
            path += "css";
        return path;
    }

    QByteArray Agent()
    {
        static constexpr std::array<const char*, 6> agents{
            "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
            "Chrome/124.0.0.0 Safari/537.36",
            "Mozilla/5.0 (Macintosh; Intel Mac OS X 14_4) AppleWebKit/605.1.15 (KHTML, like Gecko) "
            "Version/17.4 Safari/605.1.15",
            "Mozilla/5.0 (X11; Linux x86_64; rv:125.0) Gecko/20100101 Firefox/125.0",
            "Mozilla/5.0 (iPhone; CPU iPhone OS 17_4 like Mac OS X) AppleWebKit/605.1.15 (KHTML, "
            "like Gecko) Version/17.4 Mobile/15E148 Safari/604.1",
            "Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) "
            "Chrome/124.0.0.0 Mobile Safari/537.36",
            "curl/8.5.0"};
        return agents[Pick(agents.size())];
    }

    std::mt19937 m_random;
    std::array<std::array<int, 4>, 3000> m_clients{};
    qint64 m_next = 0;
    qint64 m_time = 8 * 3600;
};
