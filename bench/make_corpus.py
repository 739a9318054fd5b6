#!/usr/bin/env python3
"""Makes the benchmark corpus: Japanese mail text in Shift-JIS (code page 932).

One stream of mails is made from a fixed seed, and each corpus file is its
longest prefix of whole lines that fits the size. The mails are prose of kanji
and kana with full-width digits, letters and punctuation, ASCII words, CR LF
line breaks, numbered and bulleted lists (circled digits, the black circle),
the wave dash, and now and then an ASCII emoticon.

    make_corpus.py --out DIR [--seed N] [--sizes 4KiB,64KiB,1MiB,64MiB]

writes DIR/corpus-4KiB.txt and so on, unless they are there already from
the same script, seed and sizes.
"""
import argparse
import hashlib
import os
import random

UNITS = {"KiB": 1 << 10, "MiB": 1 << 20}

NOUNS = (
    "会議 資料 予定 確認 連絡 報告 打ち合わせ 担当者 部長 課長 来週 今週 明日 本日 先日 企画 書類 "
    "作業 進捗 内容 修正 対応 検討 案件 社内 会社 出張 東京 大阪 名古屋 天気 週末 旅行 写真 家族 "
    "友人 電車 駅 時間 場所 返信 件名 添付 問題 結果 準備 提出 期限 説明 相談 見積もり 請求書 "
    "お客様 営業部 新商品 発表会 忘年会 子供 誕生日 お土産 雨 桜"
).split()
KATAKANA = (
    "メール ファイル スケジュール プロジェクト データ システム サーバー ミーティング レポート "
    "チーム パソコン スマホ アドレス パスワード ホームページ コーヒー ランチ カレンダー"
).split()
ADVERBS = "ちょっと とても もう まだ すぐに 少し きっと たぶん 改めて 早めに".split()
PARTICLES = "は が を に で と の も から まで へ".split()
ENDINGS = (
    "します。|しました。|をお願いします。|でした。|です。|ですね。|だと思います。|してください。|"
    "していただけますか？|になります。|の予定です。|かもしれません。|を確認しました。|"
    "ありがとうございました！|が届きました。|を送ります。|でよろしいでしょうか？"
).split("|")
JOINERS = ["、", "ので、", "けれど、", "そして、", "また、", "が、"]
ASCII_WORDS = "PC Excel Word OK Web PDF Zoom mail CC URL ID iPhone Wi-Fi".split()
FULLWIDTH_WORDS = "ＯＫ ＰＤＦ ＵＲＬ Ａ４ ＣＣ ＰＣ ＩＤ ｍａｉｌ Ｗｅｂ ＦＡＸ".split()
EMOTICONS = [":)", ":(", "!!", "!?", "zZ", "(^^)", "(^_^;)", "<>"]
GREETINGS = [
    "お疲れさまです。", "こんにちは。", "いつもお世話になっております。", "おはようございます！",
    "ご無沙汰しています。",
]
CLOSINGS = ["よろしくお願いします。", "以上です。", "ではまた。", "取り急ぎご連絡まで。"]
NAMES = ["山田", "佐藤", "鈴木", "高橋", "田中", "伊藤", "渡辺", "中村"]
SYMBOLS = ["★", "※", "→", "■", "◆", "○", "◎"]

FULLWIDTH_DIGITS = str.maketrans("0123456789", "０１２３４５６７８９")
CIRCLED = "①②③④⑤⑥⑦⑧⑨"
LINE_BYTES = 72


def fullwidth(number):
    return str(number).translate(FULLWIDTH_DIGITS)


class MailWriter:
    def __init__(self, seed):
        self.rng = random.Random(seed)

    def number_phrase(self):
        r = self.rng
        kind = r.randrange(6)
        if kind == 0:
            return fullwidth(r.randint(1, 12)) + "月" + fullwidth(r.randint(1, 28)) + "日"
        if kind == 1:
            return fullwidth(r.randint(9, 18)) + "：" + fullwidth(r.choice(["00", "15", "30", "45"]))
        if kind == 2:
            return fullwidth(r.randint(1, 999)) + r.choice(["件", "人", "円", "個", "ページ"])
        if kind == 3:
            start = r.randint(1, 20)
            return fullwidth(start) + "日～" + fullwidth(start + r.randint(1, 5)) + "日"
        if kind == 4:
            return "（" + r.choice(["月", "火", "水", "木", "金"]) + "）"
        return str(r.randint(1, 2024))

    def word(self):
        r = self.rng
        roll = r.random()
        if roll < 0.55:
            return r.choice(NOUNS)
        if roll < 0.72:
            return r.choice(KATAKANA)
        if roll < 0.82:
            return self.number_phrase()
        if roll < 0.91:
            return r.choice(FULLWIDTH_WORDS)
        return " " + r.choice(ASCII_WORDS) + " "

    def sentence(self):
        r = self.rng
        parts = []
        for clause in range(r.randint(1, 3)):
            if clause:
                parts.append(r.choice(JOINERS))
            if r.random() < 0.2:
                parts.append(r.choice(ADVERBS))
            for _ in range(r.randint(1, 3)):
                parts.append(self.word())
                parts.append(r.choice(PARTICLES))
            parts.append(self.word())
        parts.append(r.choice(ENDINGS))
        if r.random() < 0.04:
            parts.append(r.choice(EMOTICONS))
        elif r.random() < 0.03:
            parts.append("～")
        return "".join(parts)

    def paragraph(self):
        r = self.rng
        text = ("　" if r.random() < 0.3 else "") + "".join(
            self.sentence() for _ in range(r.randint(1, 4)))
        return wrap(text)

    def list_block(self):
        r = self.rng
        lines = []
        bullets = CIRCLED if r.random() < 0.6 else None
        for i in range(r.randint(2, 5)):
            mark = bullets[i] if bullets else r.choice(["●", "・", r.choice(SYMBOLS)])
            lines.append(mark + self.word() + r.choice(PARTICLES) + self.number_phrase())
        return lines

    def mail(self):
        r = self.rng
        name = r.choice(NAMES)
        lines = [r.choice(NAMES) + "さん", "", r.choice(GREETINGS) + name + "です。", ""]
        for _ in range(r.randint(2, 6)):
            lines += self.list_block() if r.random() < 0.2 else self.paragraph()
            lines.append("")
        lines += [r.choice(CLOSINGS), "", "--",
                  name + "　" + r.choice(["太郎", "花子", "一郎", "美香"]),
                  "ＴＥＬ：０９０－" + fullwidth(r.randint(1000, 9999)) + "－" +
                  fullwidth(r.randint(1000, 9999)),
                  "mail: " + r.choice(["taro", "hanako", "info"]) + "@example.jp", "", ""]
        return "\r\n".join(lines)


def wrap(text):
    """Cuts text into lines of at most LINE_BYTES bytes of Shift-JIS."""
    lines, line, size = [], [], 0
    for char in text:
        width = len(char.encode("cp932"))
        if size + width > LINE_BYTES:
            lines.append("".join(line))
            line, size = [], 0
        line.append(char)
        size += width
    lines.append("".join(line))
    return lines


def parse_size(text):
    for unit, factor in UNITS.items():
        if text.endswith(unit):
            return int(text[: -len(unit)]) * factor
    return int(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--out", required=True)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--sizes", default="4KiB,64KiB,1MiB,64MiB")
    args = parser.parse_args()

    labels = args.sizes.split(",")
    paths = [os.path.join(args.out, f"corpus-{label}.txt") for label in labels]
    with open(__file__, "rb") as script:
        stamp = hashlib.sha256(script.read() + f"{args.seed} {args.sizes}".encode()).hexdigest()
    stamp_path = os.path.join(args.out, "stamp")
    if all(map(os.path.exists, paths)) and os.path.exists(stamp_path):
        with open(stamp_path) as old:
            if old.read() == stamp:
                return

    largest = max(parse_size(label) for label in labels)
    writer = MailWriter(args.seed)
    chunks, total = [], 0
    while total < largest:
        chunk = writer.mail().encode("cp932")
        chunks.append(chunk)
        total += len(chunk)
    stream = b"".join(chunks)

    os.makedirs(args.out, exist_ok=True)
    for label, path in zip(labels, paths):
        end = stream.rfind(b"\r\n", 0, parse_size(label)) + 2  # whole lines only
        with open(path, "wb") as out:
            out.write(stream[:end])
    with open(stamp_path, "w") as out:
        out.write(stamp)


if __name__ == "__main__":
    main()
