#include "dib/stream/LzhCodec.h"

#include "platform/bytes/ByteWriter.h"
#include "dib/stream/LzhTables.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace lzh {
namespace {

using namespace detail;

constexpr int Nil = RingSize; // "no node" in the search trees

// Bytes as read from (or stored to) memory turned so that the first is the most significant.
uint64_t BigEndian(uint64_t raw)
{
    if constexpr (std::endian::native == std::endian::little)
        return __builtin_bswap64(raw);
    return raw;
}

// Collects codes most significant bit first into the code area of the output, refusing to let
// the code grow past the input's length.
class BitWriter {
public:
    BitWriter(uint8_t* code, size_t limit)
        : m_code(code)
        , m_limit(limit)
    {
    }

    // Every put stores the pending bits as eight bytes and keeps the whole ones: no branch on
    // how many there are. The code buffer has eight bytes of slack for it. Codes are at most
    // 32 bits and fewer than 8 bits wait, so the pending bits never outgrow 64.
    void Put(uint32_t value, int length)
    {
        m_pending = m_pending << length | value;
        m_bits += length;
        const size_t whole = static_cast<size_t>(m_bits >> 3);
        Reserve(whole);
        const uint64_t aligned = BigEndian(m_pending << (64 - m_bits));
        std::memcpy(m_code + m_written, &aligned, sizeof aligned);
        m_written += whole;
        m_bits &= 7;
    }

    // The last byte is completed with zero bits.
    size_t Finish()
    {
        if (m_bits > 0) {
            Reserve(1);
            m_code[m_written++] = static_cast<uint8_t>(m_pending << (8 - m_bits));
            m_bits = 0;
        }
        return m_written;
    }

    static constexpr size_t Slack = 8;

private:
    void Reserve(size_t count)
    {
        if (m_written + count > m_limit)
            throw ElzhException(TooLargeMessage);
    }

    uint8_t* m_code;
    size_t m_limit;
    size_t m_written = 0;
    uint64_t m_pending = 0;
    int m_bits = 0;
};

// First index in 1..LookAhead-1 at which the two keys differ, LookAhead when none does.
// Both keys have eight readable bytes beyond their look-ahead.
int CommonLength(const uint8_t* a, const uint8_t* b, int from)
{
    for (int i = from; i < LookAhead; i += 8) {
        uint64_t x;
        uint64_t y;
        std::memcpy(&x, a + i, sizeof x);
        std::memcpy(&y, b + i, sizeof y);
        if (const uint64_t difference = x ^ y) {
            const int at = i + std::countr_zero(difference) / 8;
            return std::min(at, LookAhead);
        }
    }
    return LookAhead;
}

// Bytes 1 to 8 of a string as they lie in memory.
uint64_t RawLeadingWord(const uint8_t* text)
{
    uint64_t word;
    std::memcpy(&word, text + 1, sizeof word);
    return word;
}

// The same with the first of them most significant: comparing two such words compares the
// strings' bytes in order.
uint64_t LeadingWord(const uint8_t* text)
{
    return BigEndian(RawLeadingWord(text));
}

// Where a step of the tree walk goes: the node and, read ahead, its leading bytes as stored
// and its children.
struct TreeStep {
    // Node numbers as wide as addresses, so that they index the tables without being widened.
    ptrdiff_t node;
    uint64_t raw;
    ptrdiff_t left;
    ptrdiff_t right;

    // Becomes `other` when `key` is above `word`. The walk's direction is as good as random,
    // so conditional moves beat any branch; compilers turn the plain form into branches, hence
    // the instructions spelt out where the processor has them.
    void TakeIfAbove(uint64_t key, uint64_t word, const TreeStep& other)
    {
#if defined(__x86_64__) && defined(__GNUC__)
        asm("cmp %[w], %[k]\n\t"
            "cmova %[on], %[n]\n\t"
            "cmova %[ow], %[rw]\n\t"
            "cmova %[ol], %[l]\n\t"
            "cmova %[ort], %[r]"
            : [n] "+r"(node), [rw] "+r"(raw), [l] "+r"(left), [r] "+r"(right)
            : [k] "r"(key), [w] "r"(word), [on] "r"(other.node), [ow] "r"(other.raw), [ol] "r"(other.left),
            [ort] "r"(other.right)
            : "cc");
#else
        if (key > word)
            *this = other;
#endif
    }
};

// Match and literal coding: one symbol per literal or match length, then a match's position.
class SymbolCoder {
public:
    SymbolCoder(uint8_t* code, size_t limit)
        : m_writer(code, limit)
    {
        m_tree.Start();
    }

    void Literal(uint8_t c) { EncodeSymbol(c); }

    void Match(int length, int position)
    {
        EncodeSymbol(length + MatchSymbolBase);
        EncodePosition(position);
    }

    size_t Finish() { return m_writer.Finish(); }

private:
    void EncodeSymbol(int symbol)
    {
        const HuffmanTree::Code code = m_tree.CodeAndUpdate(symbol);
        m_writer.Put(code.code, code.length);
    }

    void EncodePosition(int position)
    {
        const int upper = position >> PositionLowBits;
        const uint32_t code = static_cast<uint32_t>(PositionCode.code[upper]) << PositionLowBits
            | static_cast<uint32_t>(position & ((1 << PositionLowBits) - 1));
        m_writer.Put(code, PositionCode.length[upper] + PositionLowBits);
    }

    BitWriter m_writer;
    HuffmanTree m_tree;
};

// What a search found: the longest (and among those the nearest) earlier string, as one number
// that orders both, the length less one above twelve bits of nearness, (p - r) mod RingSize,
// which grows as p comes closer behind r.
struct FoundMatch {
    int length;
    int position;

    static FoundMatch Of(int score) { return { (score >> 12) + 1, RingSize - 1 - (score & (RingSize - 1)) }; }
};

// The strings of the ring in binary search trees, one tree per first byte. Nodes are ring
// positions; a node's string is the LookAhead bytes from it.
class SearchTrees {
public:
    uint8_t At(int p) const { return m_text[p]; }

    // Ring position s takes the next byte of input; the first LookAhead - 1 positions are
    // mirrored past the end so that strings read on without wrapping.
    void Store(int s, uint8_t c)
    {
        m_text[s] = c;
        if (s < LookAhead - 1)
            m_text[s + RingSize] = c;
    }

    // Empty trees over a ring of spaces (zeros above RingStart).
    void Start()
    {
        std::memset(m_text, Space, RingStart);
        for (int i = RingSize + 1; i <= RingSize + 256; ++i)
            Right(i) = Nil;
        for (int i = 0; i < RingSize; ++i)
            m_parent[i] = Nil;
        // The walk reads ahead into Nil's children before it knows it stops there.
        Left(Nil) = Right(Nil) = Nil;
    }

    // Inserts the string at r into the tree of its first byte, finding on the way the longest
    // (and among those the nearest) earlier match; a full-length match replaces its node.
    // The walk is a chain of dependent loads, so each step fetches both children's links and
    // leading bytes while it compares, and picks the chosen child's by conditional moves: the
    // next step's data is then on its way before the direction is known. Leading bytes decide
    // most steps by one comparison and give the common length from their first differing bit.
    // Returns the match's score when FindMatch.
    template <bool FindMatch>
    int Insert(int r)
    {
        const uint8_t* key = &m_text[r];
        const uint64_t keyWord = LeadingWord(key);
        const ptrdiff_t root = RingSize + 1 + key[0];
        Left(r) = Right(r) = Nil;
        // Starting at Threshold's score is safe because lengths up to Threshold are coded as
        // literals whatever their position.
        int best = Score(Threshold, 0);
        const ptrdiff_t first = RightOf(root);
        if (first == Nil) {
            Attach(r, root, 1);
            return best;
        }
        const ptrdiff_t towardsR = RingSize - r;
        TreeStep step { first, RawWord(first), LeftOf(first), RightOf(first) };
        for (;;) {
            const ptrdiff_t p = step.node;
            const TreeStep toLeft { step.left, RawWord(step.left), LeftOf(step.left), RightOf(step.left) };
            const TreeStep toRight { step.right, RawWord(step.right), LeftOf(step.right), RightOf(step.right) };
            const uint64_t word = BigEndian(step.raw);
            const uint64_t difference = keyWord ^ word;
            int direction;
            if (difference != 0) [[likely]] {
                if constexpr (FindMatch)
                    best = std::max(best, ScoreOfDifference(difference, p + towardsR));
                step = toLeft;
                step.TakeIfAbove(keyWord, word, toRight);
                if (step.node != Nil) [[likely]]
                    continue;
                direction = keyWord > word;
            } else {
                const uint8_t* other = &m_text[p];
                const int length = CommonLength(key, other, 9);
                if constexpr (FindMatch)
                    best = std::max(best, Score(length, p + towardsR));
                if (length == LookAhead) [[unlikely]] {
                    Replace(p, r);
                    return best;
                }
                direction = key[length] >= other[length];
                step = direction ? toRight : toLeft;
                if (step.node != Nil)
                    continue;
            }
            Attach(r, p, direction);
            return best;
        }
    }

    // Which way a tree's deletions go is as good as random, so the common cases are worked
    // out without branches: a node with at most one child gives way to that child (or Nil),
    // and the parent's link to the node is found by arithmetic.
    void Delete(int p)
    {
        const int parent = m_parent[p];
        if (parent == Nil)
            return;
        const int left = Left(p), right = Right(p);
        int q = left ^ right ^ Nil;
        if (left != Nil && right != Nil) [[unlikely]] {
            q = left;
            if (Right(q) != Nil) {
                do
                    q = Right(q);
                while (Right(q) != Nil);
                Right(m_parent[q]) = Left(q);
                m_parent[Left(q)] = m_parent[q];
                Left(q) = static_cast<uint16_t>(left);
                m_parent[left] = static_cast<uint16_t>(q);
            }
            Right(q) = static_cast<uint16_t>(right);
            m_parent[right] = static_cast<uint16_t>(q);
        }
        m_parent[q] = static_cast<uint16_t>(parent);
        m_links[LinkTo(parent, p)] = static_cast<uint16_t>(q);
        m_parent[p] = Nil;
    }

private:
    uint64_t RawWord(ptrdiff_t p) const { return RawLeadingWord(&m_text[p]); }
    ptrdiff_t LeftOf(ptrdiff_t p) const { return m_links[2 * p]; }
    ptrdiff_t RightOf(ptrdiff_t p) const { return m_links[2 * p + 1]; }

    // A match as FoundMatch reads it back.
    static int Score(int length, ptrdiff_t nearness) { return (length - 1) << 12 | static_cast<int>(nearness & (RingSize - 1)); }

    // The same from leading words that differ: their first differing byte is the length.
    static int ScoreOfDifference(uint64_t difference, ptrdiff_t nearness)
    {
        return (std::countl_zero(difference) & 0x38) << 9 | static_cast<int>(nearness & (RingSize - 1));
    }

    uint16_t& Left(int p) { return m_links[2 * p]; }
    uint16_t& Right(int p) { return m_links[2 * p + 1]; }

    void Attach(int r, ptrdiff_t parent, int direction)
    {
        m_links[2 * parent + direction] = static_cast<uint16_t>(r);
        m_parent[r] = static_cast<uint16_t>(parent);
    }

    // Node r takes p's place in its tree.
    void Replace(ptrdiff_t p, int r)
    {
        m_parent[r] = m_parent[p];
        Left(r) = Left(static_cast<int>(p));
        Right(r) = Right(static_cast<int>(p));
        m_parent[Left(r)] = static_cast<uint16_t>(r);
        m_parent[Right(r)] = static_cast<uint16_t>(r);
        m_links[LinkTo(m_parent[p], static_cast<int>(p))] = static_cast<uint16_t>(r);
        m_parent[p] = Nil;
    }

    // The index in m_links of the parent's link to child p.
    size_t LinkTo(int parent, int p) const { return 2 * static_cast<size_t>(parent) + (m_links[2 * parent + 1] == p); }

    // The ring, a mirror of its first LookAhead - 1 bytes, and slack for word-wide compares.
    uint8_t m_text[RingSize + LookAhead - 1 + 8] {};
    // Left and right child of every node side by side; nodes above RingSize are the roots of
    // the trees, one per first byte.
    uint16_t m_links[2 * (RingSize + 257)];
    uint16_t m_parent[RingSize + 1];
};

// The ring's course over the input, shared by both ways of encoding: the initial look-ahead,
// then one step per input byte. Step k (from 1) frees ring position s, takes the next input
// byte if there is one, and inserts the string of input byte k unless the input has ended.
struct RingCourse {
    std::span<const uint8_t> input;
    size_t read = 0;
    int s = 0;
    int r = RingStart;
    int len = 0;

    void Start(SearchTrees& trees)
    {
        while (len < LookAhead && read < input.size())
            trees.Store(r + len++, input[read++]);
    }

    // The freed position is the caller's to delete first; true when a string is to be inserted
    // at the new r.
    bool Advance(SearchTrees& trees)
    {
        if (read < input.size())
            trees.Store(s, input[read++]);
        else
            --len;
        s = (s + 1) & (RingSize - 1);
        r = (r + 1) & (RingSize - 1);
        return len > 0;
    }
};

// Searches and codes in one pass: only the string inserted just before a symbol needs its
// match found; the others only take their place in the trees.
class Encoder {
public:
    explicit Encoder(std::span<const uint8_t> input)
        : m_course { input }
    {
    }

    size_t Run(uint8_t* code)
    {
        SymbolCoder coder(code, m_course.input.size());
        m_trees.Start();
        m_course.Start(m_trees);
        const int r = m_course.r;
        for (int i = 1; i <= LookAhead; ++i)
            m_trees.Insert<false>(r - i);
        int score = m_trees.Insert<true>(r);
        do {
            FoundMatch match = FoundMatch::Of(score);
            match.length = std::min(match.length, m_course.len);
            if (match.length <= Threshold) {
                match.length = 1;
                coder.Literal(m_trees.At(m_course.r));
            } else {
                coder.Match(match.length, match.position);
            }
            for (int i = 1; i <= match.length; ++i) {
                m_trees.Delete(m_course.s);
                if (!m_course.Advance(m_trees))
                    break;
                if (i < match.length)
                    m_trees.Insert<false>(m_course.r);
                else
                    score = m_trees.Insert<true>(m_course.r);
            }
        } while (m_course.len > 0);
        return coder.Finish();
    }

private:
    RingCourse m_course;
    SearchTrees m_trees;
};

// Each tree holds only strings of one first byte, and the ring's course is the same whatever
// is coded, so the trees can be searched in two shares at once: each share follows the whole
// course but inserts and deletes only the strings of its own first bytes. It records the
// match of every string it inserts, in input order; the coding then reads them back in turn.
class TreeShare {
public:
    // Told every so many positions how far the search is; false stops the search.
    class Observer {
    public:
        virtual bool Searched() = 0;

    protected:
        ~Observer() = default;
    };

    TreeShare(std::span<const uint8_t> input, const std::array<bool, 256>& owned, int32_t* scores)
        : m_course { input }
        , m_owned(owned)
        , m_scores(scores)
    {
    }

    // How many positions from the input's start have had their strings searched.
    std::atomic<size_t> searched { 0 };

    void Run(Observer& observer)
    {
        m_trees.Start();
        m_course.Start(m_trees);
        const int r = m_course.r;
        for (int i = 1; i <= LookAhead; ++i)
            if (Owns(r - i))
                m_trees.Insert<false>(r - i);
        Record(r);
        for (size_t position = 1;; ++position) {
            // Strings of other first bytes were never inserted here, so they are not found.
            m_trees.Delete(m_course.s);
            if (!m_course.Advance(m_trees))
                break;
            Record(m_course.r);
            if (position % PublishEvery == 0) {
                Publish(position + 1);
                if (!observer.Searched())
                    return;
            }
        }
        Publish(m_course.input.size());
    }

private:
    static constexpr size_t PublishEvery = 2048;

    void Publish(size_t count)
    {
        searched.store(count, std::memory_order_release);
        searched.notify_all();
    }

    bool Owns(int p) const { return m_owned[m_trees.At(p)]; }

    void Record(int r)
    {
        if (Owns(r))
            *m_scores++ = m_trees.Insert<true>(r);
    }

    RingCourse m_course;
    const std::array<bool, 256>& m_owned;
    int32_t* m_scores;
    SearchTrees m_trees;
};

// First bytes split into two shares of about equal work, dealt out largest first. A byte's
// strings each walk a tree that holds its share of the ring, about log2 of that deep.
std::array<bool, 256> FirstShareOf(std::span<const uint8_t> input)
{
    std::array<size_t, 256> count {};
    for (uint8_t c : input)
        ++count[c];
    count[Space] += LookAhead;
    std::array<double, 256> work {};
    for (int c = 0; c < 256; ++c) {
        const double inRing = static_cast<double>(RingSize) * static_cast<double>(count[c]) / static_cast<double>(input.size());
        work[c] = static_cast<double>(count[c]) * std::log2(2 + inRing);
    }
    std::array<int, 256> order;
    for (int i = 0; i < 256; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return work[a] > work[b]; });
    std::array<bool, 256> first {};
    double load[2] = { 0, 0 };
    for (int c : order) {
        const int share = load[0] <= load[1] ? 0 : 1;
        first[c] = share == 0;
        load[share] += work[c];
    }
    return first;
}

// The coding from the matches the two shares record, done by whichever thread has time: the
// thread whose search is ahead codes what both have searched, so neither waits for the other
// for long, and the thread that finishes its search first codes the rest as the other's search
// allows. The string at each position was recorded by the share of its first byte, so each
// share's next unread match is the one of the next position of its bytes.
class SharedCoding {
public:
    SharedCoding(std::span<const uint8_t> input, const std::array<bool, 256>& first, TreeShare* const shares[2],
        const int32_t* const scores[2], uint8_t* code)
        : m_input(input)
        , m_first(first)
        , m_shares { shares[0], shares[1] }
        , m_scores { scores[0], scores[1] }
        , m_coder(code, input.size())
    {
    }

    // A share's observer: codes when that share is ahead and nobody else is coding.
    class Turn : public TreeShare::Observer {
    public:
        Turn(SharedCoding& coding, int share)
            : m_coding(coding)
            , m_share(share)
        {
        }
        bool Searched() override { return m_coding.OfferTime(m_share); }

    private:
        SharedCoding& m_coding;
        int m_share;
    };

    // After the share's own search: codes until all is coded or the coding has failed.
    void CodeToTheEnd(int share)
    {
        const TreeShare& other = *m_shares[1 - share];
        for (;;) {
            const size_t seen = other.searched.load(std::memory_order_acquire);
            {
                std::lock_guard lock(m_mutex);
                if (CodeWhatIsSearched())
                    return;
            }
            other.searched.wait(seen, std::memory_order_acquire);
        }
    }

    size_t Finish()
    {
        if (m_error)
            std::rethrow_exception(m_error);
        return m_coder.Finish();
    }

private:
    bool OfferTime(int share)
    {
        if (m_failed.load(std::memory_order_relaxed))
            return false;
        const size_t mine = m_shares[share]->searched.load(std::memory_order_relaxed);
        const size_t theirs = m_shares[1 - share]->searched.load(std::memory_order_acquire);
        if (mine > theirs) {
            std::unique_lock lock(m_mutex, std::try_to_lock);
            if (lock.owns_lock())
                CodeWhatIsSearched();
        }
        return !m_failed.load(std::memory_order_relaxed);
    }

    // With the lock held: true once there is nothing left to code.
    bool CodeWhatIsSearched()
    {
        if (m_error || m_pos >= m_input.size())
            return true;
        const size_t ready = std::min(m_shares[0]->searched.load(std::memory_order_acquire),
            m_shares[1]->searched.load(std::memory_order_acquire));
        try {
            while (m_pos < ready)
                CodeSymbol();
        } catch (const ElzhException&) {
            m_error = std::current_exception();
            m_failed.store(true, std::memory_order_relaxed);
            return true;
        }
        return m_pos >= m_input.size();
    }

    void CodeSymbol()
    {
        const int share = m_first[m_input[m_pos]] ? 0 : 1;
        FoundMatch match = FoundMatch::Of(m_scores[share][m_next[share]]);
        match.length = std::min<int>(match.length, static_cast<int>(std::min<size_t>(LookAhead, m_input.size() - m_pos)));
        if (match.length <= Threshold) {
            match.length = 1;
            m_coder.Literal(m_input[m_pos]);
        } else {
            m_coder.Match(match.length, match.position);
        }
        for (int k = 0; k < match.length; ++k) {
            const size_t inFirst = m_first[m_input[m_pos + k]];
            m_next[0] += inFirst;
            m_next[1] += 1 - inFirst;
        }
        m_pos += static_cast<size_t>(match.length);
    }

    std::span<const uint8_t> m_input;
    const std::array<bool, 256>& m_first;
    TreeShare* m_shares[2];
    const int32_t* m_scores[2];
    std::mutex m_mutex;
    SymbolCoder m_coder;
    size_t m_pos = 0;
    size_t m_next[2] = { 0, 0 };
    std::exception_ptr m_error;
    std::atomic<bool> m_failed { false };
};

size_t EncodeInShares(std::span<const uint8_t> input, uint8_t* code)
{
    const std::array<bool, 256> first = FirstShareOf(input);
    std::array<bool, 256> second;
    for (int c = 0; c < 256; ++c)
        second[c] = !first[c];
    size_t firstCount = 0;
    for (uint8_t c : input)
        firstCount += first[c];
    std::vector<int32_t> scores;
    std::unique_ptr<TreeShare> shares[2];
    std::unique_ptr<SharedCoding> coding;
    try {
        scores.resize(input.size());
        shares[0] = std::make_unique<TreeShare>(input, first, scores.data());
        shares[1] = std::make_unique<TreeShare>(input, second, scores.data() + firstCount);
        TreeShare* const both[2] = { shares[0].get(), shares[1].get() };
        const int32_t* const recorded[2] = { scores.data(), scores.data() + firstCount };
        coding = std::make_unique<SharedCoding>(input, first, both, recorded, code);
    } catch (const std::bad_alloc&) {
        throw ElzhException(NoMemoryMessage);
    }
    SharedCoding::Turn turns[2] = { { *coding, 0 }, { *coding, 1 } };
    auto work = [&](int share) {
        shares[share]->Run(turns[share]);
        coding->CodeToTheEnd(share);
    };
    std::thread helper;
    try {
        helper = std::thread(work, 1);
    } catch (const std::system_error&) {
    }
    if (helper.joinable()) {
        work(0);
        helper.join();
    } else {
        // Without a second thread the shares are searched in turn, then coded: slower, but the
        // same code. Coding after the first search alone would wait for the second for ever.
        shares[0]->Run(turns[0]);
        shares[1]->Run(turns[1]);
        coding->CodeToTheEnd(0);
    }
    return coding->Finish();
}

} // namespace

std::vector<uint8_t> Encode(std::span<const uint8_t> input, int searchThreads)
{
    if (input.size() > UINT32_MAX)
        throw ElzhException(TooLargeMessage);
    platform::ByteWriter header(HeaderSize);
    header.Put32(LengthOffset, static_cast<uint32_t>(input.size()));
    std::vector<uint8_t> packed = header.Take();
    try {
        packed.resize(HeaderSize + input.size() + BitWriter::Slack);
    } catch (const std::bad_alloc&) {
        throw ElzhException(NoMemoryMessage);
    }
    if (input.empty()) {
        packed.resize(HeaderSize);
        return packed;
    }
    size_t codeLength;
    if (searchThreads >= 2) {
        codeLength = EncodeInShares(input, packed.data() + CodeOffset);
    } else {
        auto encoder = AllocateTables<Encoder>(input);
        codeLength = encoder->Run(packed.data() + CodeOffset);
    }
    packed.resize(HeaderSize + codeLength);
    return packed;
}

std::vector<uint8_t> Encode(std::span<const uint8_t> input)
{
    const bool worthASecondThread = input.size() >= SharedSearchFrom && std::thread::hardware_concurrency() >= 2;
    return Encode(input, worthASecondThread ? 2 : 1);
}

}

void TLZHStream::Encode()
{
    const std::vector<uint8_t> input = m_in.ReadRest();
    m_out.WriteBytes(lzh::Encode(input));
}
