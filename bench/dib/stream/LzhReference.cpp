#include "bench/dib/stream/LzhReference.h"

#include <cstring>
#include <memory>
#include <stdexcept>

namespace lzhreference {
namespace {

constexpr int N = 4096;
constexpr int F = 60;
constexpr int Threshold = 2;
constexpr int Nil = N;
constexpr int NChar = 256 - Threshold + F;
constexpr int T = NChar * 2 - 1;
constexpr int R = T - 1;
constexpr unsigned MaxFreq = 0x8000;

const uint8_t PositionLength[64] = {
    3,
    4,
    4,
    4,
    5,
    5,
    5,
    5,
    5,
    5,
    5,
    5,
    6,
    6,
    6,
    6,
    6,
    6,
    6,
    6,
    6,
    6,
    6,
    6,
    7,
    7,
    7,
    7,
    7,
    7,
    7,
    7,
    7,
    7,
    7,
    7,
    7,
    7,
    7,
    7,
    7,
    7,
    7,
    7,
    7,
    7,
    7,
    7,
    8,
    8,
    8,
    8,
    8,
    8,
    8,
    8,
    8,
    8,
    8,
    8,
    8,
    8,
    8,
    8,
};

struct Tables {
    uint8_t text[N + F - 1] {};
    int lson[N + 1], rson[N + 257], dad[N + 1];
    int matchPosition = 0, matchLength = 0;
    unsigned freq[T + 1];
    int prnt[T + NChar];
    int son[T];
    uint8_t positionCode[64];
    uint8_t decodeCode[256], decodeLength[256];

    Tables()
    {
        unsigned code = 0;
        int length = 3;
        for (int i = 0; i < 64; ++i) {
            while (PositionLength[i] > length) {
                code <<= 1;
                ++length;
            }
            positionCode[i] = static_cast<uint8_t>(code << (8 - length));
            for (int b = 0; b < (1 << (8 - length)); ++b) {
                decodeCode[positionCode[i] + b] = static_cast<uint8_t>(i);
                decodeLength[positionCode[i] + b] = static_cast<uint8_t>(length);
            }
            ++code;
        }
    }

    void StartHuff()
    {
        int i, j;
        for (i = 0; i < NChar; i++) {
            freq[i] = 1;
            son[i] = i + T;
            prnt[i + T] = i;
        }
        i = 0;
        j = NChar;
        while (j <= R) {
            freq[j] = freq[i] + freq[i + 1];
            son[j] = i;
            prnt[i] = prnt[i + 1] = j;
            i += 2;
            j++;
        }
        freq[T] = 0xffff;
        prnt[R] = 0;
    }

    void Reconst()
    {
        int i, j, k;
        unsigned f;
        j = 0;
        for (i = 0; i < T; i++) {
            if (son[i] >= T) {
                freq[j] = (freq[i] + 1) / 2;
                son[j] = son[i];
                j++;
            }
        }
        for (i = 0, j = NChar; j < T; i += 2, j++) {
            k = i + 1;
            f = freq[j] = freq[i] + freq[k];
            for (k = j - 1; f < freq[k]; k--) {}
            k++;
            for (int m = j; m > k; --m) {
                freq[m] = freq[m - 1];
                son[m] = son[m - 1];
            }
            freq[k] = f;
            son[k] = i;
        }
        for (i = 0; i < T; i++) {
            if ((k = son[i]) >= T)
                prnt[k] = i;
            else
                prnt[k] = prnt[k + 1] = i;
        }
    }

    void Update(int c)
    {
        int i, j, l;
        unsigned k;
        if (freq[R] == MaxFreq)
            Reconst();
        c = prnt[c + T];
        do {
            k = ++freq[c];
            if (k > freq[l = c + 1]) {
                while (k > freq[++l]) {}
                l--;
                freq[c] = freq[l];
                freq[l] = k;
                i = son[c];
                prnt[i] = l;
                if (i < T)
                    prnt[i + 1] = l;
                j = son[l];
                son[l] = i;
                prnt[j] = c;
                if (j < T)
                    prnt[j + 1] = c;
                son[c] = j;
                c = l;
            }
        } while ((c = prnt[c]) != 0);
    }

    void InitTree()
    {
        for (int i = N + 1; i <= N + 256; i++)
            rson[i] = Nil;
        for (int i = 0; i < N; i++)
            dad[i] = Nil;
    }

    void InsertNode(int r)
    {
        int i, p, cmp = 1, c;
        uint8_t* key = &text[r];
        p = N + 1 + key[0];
        rson[r] = lson[r] = Nil;
        matchLength = 0;
        for (;;) {
            if (cmp >= 0) {
                if (rson[p] != Nil)
                    p = rson[p];
                else {
                    rson[p] = r;
                    dad[r] = p;
                    return;
                }
            } else {
                if (lson[p] != Nil)
                    p = lson[p];
                else {
                    lson[p] = r;
                    dad[r] = p;
                    return;
                }
            }
            for (i = 1; i < F; i++)
                if ((cmp = key[i] - text[p + i]) != 0)
                    break;
            if (i > Threshold) {
                if (i > matchLength) {
                    matchPosition = ((r - p) & (N - 1)) - 1;
                    if ((matchLength = i) >= F)
                        break;
                }
                if (i == matchLength) {
                    if ((c = ((r - p) & (N - 1)) - 1) < matchPosition)
                        matchPosition = c;
                }
            }
        }
        dad[r] = dad[p];
        lson[r] = lson[p];
        rson[r] = rson[p];
        dad[lson[p]] = r;
        dad[rson[p]] = r;
        if (rson[dad[p]] == p)
            rson[dad[p]] = r;
        else
            lson[dad[p]] = r;
        dad[p] = Nil;
    }

    void DeleteNode(int p)
    {
        int q;
        if (dad[p] == Nil)
            return;
        if (rson[p] == Nil)
            q = lson[p];
        else if (lson[p] == Nil)
            q = rson[p];
        else {
            q = lson[p];
            if (rson[q] != Nil) {
                do {
                    q = rson[q];
                } while (rson[q] != Nil);
                rson[dad[q]] = lson[q];
                dad[lson[q]] = dad[q];
                lson[q] = lson[p];
                dad[lson[p]] = q;
            }
            rson[q] = rson[p];
            dad[rson[p]] = q;
        }
        dad[q] = dad[p];
        if (rson[dad[p]] == p)
            rson[dad[p]] = q;
        else
            lson[dad[p]] = q;
        dad[p] = Nil;
    }
};

class BitSink {
public:
    explicit BitSink(std::vector<uint8_t>& out)
        : m_out(out)
    {
    }
    void PutBit(unsigned bit)
    {
        m_byte = static_cast<uint8_t>(m_byte << 1 | bit);
        if (++m_count == 8) {
            m_out.push_back(m_byte);
            m_count = 0;
            m_byte = 0;
        }
    }
    void PutCode(int length, unsigned code)
    {
        for (int i = length - 1; i >= 0; --i)
            PutBit((code >> i) & 1);
    }
    void Finish()
    {
        while (m_count != 0)
            PutBit(0);
    }

private:
    std::vector<uint8_t>& m_out;
    uint8_t m_byte = 0;
    int m_count = 0;
};

class BitSource {
public:
    BitSource(const uint8_t* data, size_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    unsigned GetBit()
    {
        if (m_count == 0) {
            m_byte = m_position < m_size ? m_data[m_position] : 0;
            ++m_position;
            m_count = 8;
        }
        --m_count;
        return (m_byte >> m_count) & 1;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
    uint8_t m_byte = 0;
    int m_count = 0;
};

} // namespace

std::vector<uint8_t> Encode(std::span<const uint8_t> input)
{
    std::vector<uint8_t> out;
    const uint32_t size = static_cast<uint32_t>(input.size());
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(size >> (8 * i)));
    if (size == 0)
        return out;
    auto tables = std::make_unique<Tables>();
    Tables& t = *tables;
    BitSink sink(out);
    size_t read = 0;
    int i, c, len, r, s, lastMatchLength;
    t.StartHuff();
    t.InitTree();
    s = 0;
    r = N - F;
    for (i = s; i < r; i++)
        t.text[i] = ' ';
    for (len = 0; len < F && read < input.size(); len++)
        t.text[r + len] = input[read++];
    for (i = 1; i <= F; i++)
        t.InsertNode(r - i);
    t.InsertNode(r);
    do {
        if (t.matchLength > len)
            t.matchLength = len;
        if (t.matchLength <= Threshold) {
            t.matchLength = 1;
            c = t.text[r];
        } else {
            c = 255 - Threshold + t.matchLength;
        }
        unsigned code = 0;
        int length = 0;
        for (int k = t.prnt[c + T]; k != R; k = t.prnt[k])
            code |= static_cast<unsigned>(k & 1) << length++;
        sink.PutCode(length, code);
        t.Update(c);
        if (c >= 256) {
            const int position = t.matchPosition;
            sink.PutCode(PositionLength[position >> 6], t.positionCode[position >> 6] >> (8 - PositionLength[position >> 6]));
            sink.PutCode(6, position & 0x3f);
        }
        lastMatchLength = t.matchLength;
        for (i = 0; i < lastMatchLength && read < input.size(); i++) {
            t.DeleteNode(s);
            c = input[read++];
            t.text[s] = static_cast<uint8_t>(c);
            if (s < F - 1)
                t.text[s + N] = static_cast<uint8_t>(c);
            s = (s + 1) & (N - 1);
            r = (r + 1) & (N - 1);
            t.InsertNode(r);
        }
        while (i++ < lastMatchLength) {
            t.DeleteNode(s);
            s = (s + 1) & (N - 1);
            r = (r + 1) & (N - 1);
            if (--len)
                t.InsertNode(r);
        }
    } while (len > 0);
    sink.Finish();
    if (out.size() > input.size() + 4)
        throw std::runtime_error("larger than the original");
    return out;
}

std::vector<uint8_t> Decode(std::span<const uint8_t> packed)
{
    const uint32_t size = uint32_t(packed[0]) | uint32_t(packed[1]) << 8 | uint32_t(packed[2]) << 16 | uint32_t(packed[3]) << 24;
    std::vector<uint8_t> out;
    out.reserve(size);
    if (size == 0)
        return out;
    auto tables = std::make_unique<Tables>();
    Tables& t = *tables;
    BitSource source(packed.data() + 4, packed.size() - 4);
    t.StartHuff();
    for (int i = 0; i < N - F; i++)
        t.text[i] = ' ';
    int r = N - F;
    while (out.size() < size) {
        int c = t.son[R];
        while (c < T)
            c = t.son[c + source.GetBit()];
        c -= T;
        t.Update(c);
        if (c < 256) {
            out.push_back(static_cast<uint8_t>(c));
            t.text[r++] = static_cast<uint8_t>(c);
            r &= N - 1;
        } else {
            unsigned byte = 0;
            for (int b = 0; b < 8; ++b)
                byte = byte << 1 | source.GetBit();
            unsigned position = static_cast<unsigned>(t.decodeCode[byte]) << 6;
            unsigned rest = byte;
            for (int b = 0; b < t.decodeLength[byte] - 2; ++b)
                rest = rest << 1 | source.GetBit();
            position |= rest & 0x3f;
            const int from = (r - static_cast<int>(position) - 1) & (N - 1);
            const int length = c - 255 + Threshold;
            for (int k = 0; k < length && out.size() < size; k++) {
                const uint8_t b = t.text[(from + k) & (N - 1)];
                out.push_back(b);
                t.text[r++] = b;
                r &= N - 1;
            }
        }
    }
    return out;
}

}
