<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>QFileDialog</name>
    <message>
        <source>Open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save As</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QuenzWin</name>
    <message>
        <source>A picture of %1 × %2 pixels cannot be exported.</source>
        <translation>幅 %1 × 高さ %2 ピクセルの画像は出力できません。</translation>
    </message>
    <message>
        <source>Choose an export height of 1 or more.</source>
        <translation>出力サイズ(高さ)に 1 以上の正しい数を選んで下さい。</translation>
    </message>
    <message>
        <source>Choose a smaller height.</source>
        <translation>もっと小さい高さを選んで下さい。</translation>
    </message>
    <message>
        <source>Move the last character to the right.</source>
        <translation>最後の文字を右へ動かして下さい。</translation>
    </message>
    <message>
        <source>Width and height must both be from 1 to %1 pixels. %2</source>
        <translation>幅と高さは、どちらも 1 から %1 ピクセルまでです。%2</translation>
    </message>
    <message>
        <source>“%1” is not a logo document: %2</source>
        <translation>「%1」はロゴ文書ではありません：%2</translation>
    </message>
    <message>
        <source>“%1” was not opened: its logo text is longer than %2 characters, the most that a logo takes.</source>
        <translation>「%1」は開けませんでした：ロゴの文字列が、ロゴに使える最大の %2 文字を超えています。</translation>
    </message>
    <message>
        <source>Saving “%1”…</source>
        <translation>「%1」を保存しています…</translation>
    </message>
    <message>
        <source>“%1” has changed since this window last opened or saved it.</source>
        <translation>「%1」は、このウインドウで最後に開くか保存した後に変更されています。</translation>
    </message>
    <message>
        <source>Another window or another program has saved it since. Replace it with this window&apos;s logo, and lose what was saved there?</source>
        <translation>その後、別のウインドウか別のプログラムが保存しました。このウインドウのロゴで置き換えて、そちらに保存された内容を捨てますか？</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>置き換える</translation>
    </message>
    <message>
        <source>“%1” holds text that is not part of a logo.</source>
        <translation>「%1」には、ロゴのものではないテキストが含まれています。</translation>
    </message>
    <message>
        <source>It may not be a logo document. Saving replaces the whole file with this window&apos;s logo, and that text is lost.</source>
        <translation>ロゴの書類ではないかもしれません。保存すると、ファイル全体がこのウインドウのロゴで置き換えられ、そのテキストは失われます。</translation>
    </message>
</context>
<context>
    <name>fw</name>
    <message>
        <source>The last action could not be finished: %1.</source>
        <translation>最後の操作を終えられませんでした：%1。</translation>
    </message>
    <message>
        <source>“%1” could not be opened: %2</source>
        <translation>「%1」を開けませんでした：%2</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>フォルダです</translation>
    </message>
    <message>
        <source>it is a named pipe (FIFO), not a file</source>
        <translation>ファイルではなく名前付きパイプ (FIFO) です</translation>
    </message>
    <message>
        <source>it is a device, not a file</source>
        <translation>ファイルではなくデバイスです</translation>
    </message>
    <message>
        <source>it is a socket, not a file</source>
        <translation>ファイルではなくソケットです</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>通常のファイルではありません</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 バイト</translation>
    </message>
    <message>
        <source>at %1 it is larger than %2, the most that is read</source>
        <translation>%1 あり、読み込める最大の %2 を超えています</translation>
    </message>
    <message>
        <source>The file type “%1” is not registered.</source>
        <translation>ファイルの種類「%1」は登録されていません。</translation>
    </message>
    <message>
        <source>“%1” could not be saved: %2</source>
        <translation>「%1」を保存できませんでした：%2</translation>
    </message>
    <message>
        <source>“%1” was not read: %2</source>
        <translation>「%1」は読み込まれませんでした：%2</translation>
    </message>
    <message>
        <source>there is not enough memory for it</source>
        <translation>メモリが足りません</translation>
    </message>
    <message>
        <source>something unexpected went wrong in the program</source>
        <translation>プログラムで思いがけない問題が起きました</translation>
    </message>
    <message>
        <source>format %1 is not known.</source>
        <translation>形式 %1 は知られていません。</translation>
    </message>
</context>
<context>
    <name>fw::ExportPicture</name>
    <message>
        <source>There is not enough memory to draw the picture.</source>
        <translation>画像を描くためのメモリが足りません。</translation>
    </message>
</context>
<context>
    <name>fw::ImageEncoder</name>
    <message>
        <source>there is not enough memory.</source>
        <translation>メモリが足りません。</translation>
    </message>
    <message>
        <source>the encoder failed.</source>
        <translation>エンコーダが失敗しました。</translation>
    </message>
    <message>
        <source>the TIFF writer failed.</source>
        <translation>TIFF の書き出しに失敗しました。</translation>
    </message>
</context>
<context>
    <name>fw::Picture</name>
    <message>
        <source>There is not enough memory for a picture of %1 × %2 pixels.</source>
        <translation>幅 %1 × 高さ %2 ピクセルの画像のためのメモリが足りません。</translation>
    </message>
</context>
<context>
    <name>fw::PopupMenu</name>
    <message>
        <source>Row %1 of “%2” does not exist.</source>
        <translation>「%2」の行 %1 はありません。</translation>
    </message>
</context>
<context>
    <name>fw::TextField</name>
    <message>
        <source>Not changed: the text would be longer than %1 characters, the most that this field takes.</source>
        <translation>変更されませんでした：この欄に入る最大の %1 文字を超えてしまいます。</translation>
    </message>
</context>
<context>
    <name>fw::TextInputStream</name>
    <message>
        <source>“%1” could not be read: %2</source>
        <translation>「%1」を読み込めませんでした：%2</translation>
    </message>
    <message>
        <source>“%1” could not be read: it has grown past %2, the most that is read</source>
        <translation>「%1」を読み込めませんでした：読み込める最大の %2 を超えて大きくなりました</translation>
    </message>
</context>
<context>
    <name>fw::Window</name>
    <message>
        <source>The window has no control “%1”.</source>
        <translation>ウィンドウにコントロール「%1」がありません。</translation>
    </message>
</context>
</TS>
