<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>varnelo::CAboutDlg</name>
    <message>
        <source>バージョン情報 Varnelo</source>
        <translation>About Varnelo</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>varnelo::CMainFrame</name>
    <message>
        <source>新規作成	Ctrl+N(&amp;N)</source>
        <translation>&amp;New	Ctrl+N</translation>
    </message>
    <message>
        <source>新規にファイルを作成
新規ファイル</source>
        <translation>Create a new document
New</translation>
    </message>
    <message>
        <source>開く...	Ctrl+O(&amp;O)</source>
        <translation>&amp;Open...	Ctrl+O</translation>
    </message>
    <message>
        <source>既存のファイルを開く
開く</source>
        <translation>Open an existing document
Open</translation>
    </message>
    <message>
        <source>上書き保存	Ctrl+S(&amp;S)</source>
        <translation>&amp;Save	Ctrl+S</translation>
    </message>
    <message>
        <source>作業中のファイルを上書きして保存
保存</source>
        <translation>Save the active document
Save</translation>
    </message>
    <message>
        <source>名前を付けて保存(&amp;A)...</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>作業中のファイルを新しい名前で保存
名前をつけて保存</source>
        <translation>Save the active document with a new name
Save As</translation>
    </message>
    <message>
        <source>アプリケーションの終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>アプリケーションを終了し、ファイルの保存を指示\終了</source>
        <translation>Quit the application; prompts to save documents</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>最近使ったファイル</source>
        <translation>Recent File</translation>
    </message>
    <message>
        <source>元に戻す	Ctrl+Z(&amp;U)</source>
        <translation>&amp;Undo	Ctrl+Z</translation>
    </message>
    <message>
        <source>直前に行った動作を元に戻す
元に戻す</source>
        <translation>Undo the last action
Undo</translation>
    </message>
    <message>
        <source>切り取り	Ctrl+X(&amp;T)</source>
        <translation>Cu&amp;t	Ctrl+X</translation>
    </message>
    <message>
        <source>選択範囲を切り取ってクリップボードに保存
切り取り</source>
        <translation>Cut the selection and put it on the Clipboard
Cut</translation>
    </message>
    <message>
        <source>コピー	Ctrl+C(&amp;C)</source>
        <translation>&amp;Copy	Ctrl+C</translation>
    </message>
    <message>
        <source>選択範囲をコピーしてクリップボードに保存
保存</source>
        <translation>Copy the selection and put it on the Clipboard
Copy</translation>
    </message>
    <message>
        <source>貼り付け	Ctrl+V(&amp;P)</source>
        <translation>&amp;Paste	Ctrl+V</translation>
    </message>
    <message>
        <source>クリップボードの内容を貼り付け
貼り付け</source>
        <translation>Insert Clipboard contents
Paste</translation>
    </message>
    <message>
        <source>印刷</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>作業中のドキュメントを印刷
印刷</source>
        <translation>Print the active document
Print</translation>
    </message>
    <message>
        <source>ハードウェアの編集</source>
        <translation>Edit Hardware</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>ツール バー(&amp;T)</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>ツール バーの 表示/非表示
ツール バーの表示切り替え</source>
        <translation>Show or hide the toolbar
Toggle Toolbar</translation>
    </message>
    <message>
        <source>ステータス バー(&amp;S)</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>ステータス バーの 表示/非表示
ステータス バーの表示切り替え</source>
        <translation>Show or hide the status bar
Toggle Status Bar</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>バージョン情報 Varnelo(&amp;A)...</source>
        <translation>&amp;About Varnelo...</translation>
    </message>
    <message>
        <source>プログラム情報、バージョン、著作権を表示します。
バージョン情報</source>
        <translation>Display program information, version number and copyright
About</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>次のウィンドウに切り替える</source>
        <translation>Switch to the next window pane</translation>
    </message>
    <message>
        <source>前のウィンドウに切り替える</source>
        <translation>Switch back to the previous window pane</translation>
    </message>
    <message>
        <source>レディ</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>無題</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>%1 への変更を保存しますか?</source>
        <translation>Save changes to %1?</translation>
    </message>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>新しいドキュメント</source>
        <translation>new document</translation>
    </message>
    <message>
        <source>ファイルを開く</source>
        <translation>opening a file</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>すべてのファイル (*.*)</source>
        <translation>All Files (*.*)</translation>
    </message>
    <message>
        <source>予期しないファイル形式です。</source>
        <translation>Unexpected file format.</translation>
    </message>
    <message>
        <source>ドキュメントを開くことに失敗しました。</source>
        <translation>Failed to open the document.</translation>
    </message>
    <message>
        <source>名前を付けて保存</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>ドキュメントの保存に失敗しました。</source>
        <translation>Failed to save the document.</translation>
    </message>
    <message>
        <source>指定のファイルを開く</source>
        <translation>Open this document</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>closing</translation>
    </message>
    <message>
        <source>通常のファイルではありません (パイプ、FIFO またはデバイス)。ファイルに保存してから開いてください。</source>
        <translation>Not a regular file (a pipe, FIFO or device). Save it to a file first, then open that file.</translation>
    </message>
    <message>
        <source>読み出し中は保存できません。読み出しが終わるか、中止してから保存してください。</source>
        <translation>Cannot save while downloading. Wait for the end or stop the download, then save.</translation>
    </message>
    <message>
        <source>新しいレコードを読み出し</source>
        <translation>Download New Records</translation>
    </message>
    <message>
        <source>ロガーの新しいレコードだけをドキュメントに追加</source>
        <translation>Add only the logger&apos;s new records to the document</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>読み出しを中止します (Esc)。読み出し済みのレコードは残ります。</source>
        <translation>Stop the download (Esc). The records read so far are kept.</translation>
    </message>
    <message>
        <source>読み出し中です。読み出しを中止しますか?</source>
        <translation>A download is under way. Stop it?</translation>
    </message>
    <message>
        <source>読み出し済みのレコードは残ります。</source>
        <translation>The records read so far are kept.</translation>
    </message>
    <message>
        <source>新しいレコードの読み出しを中止します (Esc)。何も追加しません。</source>
        <translation>Stop reading new records (Esc). Nothing is added.</translation>
    </message>
    <message>
        <source>新しいレコードは追加されません。</source>
        <translation>No new record is added.</translation>
    </message>
    <message>
        <source>%1 は開いた後に別のプログラムで変更されています。</source>
        <translation>%1 was changed by another program since it was opened.</translation>
    </message>
    <message>
        <source>置き換えますか?</source>
        <translation>Replace it?</translation>
    </message>
    <message>
        <source>置き換える(&amp;R)</source>
        <translation>&amp;Replace</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1 を保存しました</source>
        <translation>Saved %1</translation>
    </message>
    <message>
        <source>メイン フォーム</source>
        <translation>Main form</translation>
    </message>
    <message>
        <source>結果の設定...</source>
        <extracomment>View menu: the settings every result export uses (UTC offset, white panel, sun, saturation).</extracomment>
        <translation>Result Settings...</translation>
    </message>
    <message>
        <source>書き出す結果の時差、白色板、太陽の高さと飽和レベルを設定</source>
        <translation>Set the UTC offset, white panel, sun and saturation of the results written</translation>
    </message>
</context>
<context>
    <name>varnelo::CSettingDlg</name>
    <message>
        <source>終了</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>参照</source>
        <translation>Browse</translation>
    </message>
    <message>
        <source>ハードウェア</source>
        <translation>Hardware</translation>
    </message>
    <message>
        <source>パラメータ</source>
        <translation>Parameters</translation>
    </message>
    <message>
        <source>データ</source>
        <translation>Data</translation>
    </message>
    <message>
        <source>チャネル差</source>
        <translation>Ch. diff.</translation>
    </message>
    <message>
        <source>ch.%1 未送信: ロガー未接続</source>
        <translation>ch.%1 not sent: no logger connected</translation>
    </message>
    <message>
        <source>ch.%1 未送信: ロガーの装置情報を読み出せていません</source>
        <translation>ch.%1 not sent: device information not read</translation>
    </message>
    <message>
        <source>ch.%1 に書き込みました</source>
        <translation>ch.%1 written</translation>
    </message>
    <message>
        <source>ch.%1 書き込み失敗: ポートが失われました</source>
        <translation>ch.%1 not written: the port is gone</translation>
    </message>
    <message>
        <source>ch.%1 書き込み失敗: 応答がありません</source>
        <translation>ch.%1 not written: no answer</translation>
    </message>
    <message>
        <source>ch.%1 書き込み失敗: 送信できません</source>
        <translation>ch.%1 not written: cannot send</translation>
    </message>
    <message>
        <source>setting</source>
        <extracomment>Title of the hardware settings dialog (the logger&apos;s sensor heads and parameters).</extracomment>
        <translation>Hardware settings</translation>
    </message>
    <message>
        <source>ch.%1 に送信しています…</source>
        <translation>Sending to ch.%1…</translation>
    </message>
</context>
<context>
    <name>varnelo::CVarneloView</name>
    <message>
        <source>バルネロツール</source>
        <translation>Varnelo Tool</translation>
    </message>
    <message>
        <source>読み出し</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>CSV保存</source>
        <translation>Save CSV</translation>
    </message>
    <message>
        <source>反射</source>
        <translation>Refl.</translation>
    </message>
    <message>
        <source>400-800nmに限定</source>
        <translation>400-800nm only</translation>
    </message>
    <message>
        <source>ロガーは %1 件と報告しています。%2 件を読み出します。</source>
        <translation>The logger reports %1 records; reading %2.</translation>
    </message>
    <message>
        <source>%1 件のレコードを読み出しました</source>
        <translation>%1 records downloaded</translation>
    </message>
    <message>
        <source>レコード %1 で読み出しが止まりました (%2 件を読み出し済み): %3</source>
        <translation>Download stopped at record %1 (%2 records read): %3</translation>
    </message>
    <message>
        <source>%1 nm   ch.1 %2   ch.2 %3   反射 %4</source>
        <translation>%1 nm   ch.1 %2   ch.2 %3   refl. %4</translation>
    </message>
    <message>
        <source>CSV ファイルに書き出しています...</source>
        <translation>Writing the CSV file...</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>%1 件を CSV に書き出しました: %2</source>
        <translation>%1 records written to CSV: %2</translation>
    </message>
    <message>
        <source>CSV の書き出しを取り消しました</source>
        <translation>CSV export cancelled</translation>
    </message>
    <message>
        <source>件数を読めません</source>
        <translation>The record count could not be read</translation>
    </message>
    <message>
        <source>新しいレコードの読み出しを中止しました。何も追加していません</source>
        <translation>Reading new records stopped; nothing was added</translation>
    </message>
    <message>
        <source>読み出しを中止しました (%1 件読み出し済み)</source>
        <translation>Download stopped (%1 records kept)</translation>
    </message>
    <message>
        <source>新しいレコードを %1 件読み出しました (全 %2 件)</source>
        <translation>%1 new records downloaded (%2 in all)</translation>
    </message>
    <message>
        <source>「読み出し」で全件を読み出し、新しいファイルに保存してください。</source>
        <translation> Use &quot;Download&quot; to read every record and save them to a new file.</translation>
    </message>
    <message>
        <source>新しいレコードはありません</source>
        <translation>No new records</translation>
    </message>
    <message>
        <source>照合するレコードがありません。</source>
        <translation>No records to check the logger against.</translation>
    </message>
    <message>
        <source>ロガーのレコード (%1 件) がドキュメント (%2 件) より少ないため追加しません(ロガーのメモリが消去されています)。</source>
        <translation>Nothing added: the logger holds fewer records (%1) than the document (%2); its memory was cleared.</translation>
    </message>
    <message>
        <source>ロガーのレコード %1 がドキュメントと異なるため追加しません(別のロガーか、消去後に記録し直したメモリです)。</source>
        <translation>Nothing added: the logger&apos;s record %1 differs from the document&apos;s (another logger, or a memory cleared and filled again).</translation>
    </message>
    <message>
        <source>CSV ファイルを書き出せませんでした: %1</source>
        <translation>Could not write the CSV file: %1</translation>
    </message>
    <message>
        <source>CSV ファイルを書き出せませんでした。</source>
        <translation>Could not write the CSV file.</translation>
    </message>
    <message>
        <source>新しいレコードの読み出しを中止しました (%1 件を追加)</source>
        <translation>Reading new records stopped (%1 added)</translation>
    </message>
    <message>
        <source>ロガーにレコードがありません。ドキュメントはそのままです</source>
        <translation>The logger holds no records. The document is unchanged</translation>
    </message>
    <message>
        <source>レコード数の読み出しで止まりました</source>
        <translation>Stopped reading the record count</translation>
    </message>
    <message>
        <source>レコード %1 の照合で止まりました</source>
        <translation>Stopped at the check of record %1</translation>
    </message>
    <message>
        <source>レコード %1 で読み出しが止まりました</source>
        <translation>Reading stopped at record %1</translation>
    </message>
    <message>
        <source>%1。何も追加していません: %2</source>
        <translation>%1. Nothing was added: %2</translation>
    </message>
    <message>
        <source>ロガーに接続しています…</source>
        <translation>Connecting to the logger…</translation>
    </message>
    <message>
        <source>ロガーへの接続を中止しました</source>
        <translation>Stopped connecting to the logger</translation>
    </message>
    <message>
        <source>件数不明</source>
        <translation>Count n/a</translation>
    </message>
</context>
<context>
    <name>varnelo::ChartFrame</name>
    <message>
        <source>画像を保存...</source>
        <translation>Save Image...</translation>
    </message>
    <message>
        <source>画像をコピー</source>
        <translation>Copy Image</translation>
    </message>
    <message>
        <source>画像を保存</source>
        <translation>Save Image</translation>
    </message>
    <message>
        <source>PNG 画像 (*.png)</source>
        <translation>PNG images (*.png)</translation>
    </message>
    <message>
        <source>画像を保存できませんでした。</source>
        <translation>Could not save the image.</translation>
    </message>
</context>
<context>
    <name>varnelo::ExportDialogs</name>
    <message>
        <source>ファイル名に * や ? は使えません。</source>
        <extracomment>Message box: the name typed in a save dialog holds a wildcard (the name is shown below it).</extracomment>
        <translation>A file name cannot contain * or ?.</translation>
    </message>
</context>
<context>
    <name>varnelo::FileMessages</name>
    <message>
        <source>%1 件と書かれていますが、完全なレコードは %2 件しかありません</source>
        <translation>it announces %1 records but holds only %2 complete ones</translation>
    </message>
    <message>
        <source>読み込み中にエラーが起きました (%1)</source>
        <translation>a read failed (%1)</translation>
    </message>
    <message>
        <source>%1 バイトしかなく、パラメータブロックと件数 (%2 バイト) より短いです</source>
        <translation>its %1 bytes are shorter than the parameter block and count (%2 bytes)</translation>
    </message>
    <message>
        <source>レコード数 %1 が 0〜%2 の範囲外です</source>
        <translation>its record count %1 is outside 0 to %2</translation>
    </message>
    <message>
        <source>パイプまたはデバイスから何も届きませんでした</source>
        <translation>nothing arrived from the pipe or device</translation>
    </message>
    <message>
        <source>別のプログラムが書き込み中です</source>
        <translation>another program is writing it</translation>
    </message>
    <message>
        <source>パイプ、FIFO またはデバイスです</source>
        <translation>it is a pipe, FIFO or device</translation>
    </message>
    <message>
        <source>保存先のフォルダーがありません</source>
        <translation>the folder to save in does not exist</translation>
    </message>
    <message>
        <source>フォルダーです</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>書き込みが許可されていません</source>
        <translation>writing it is not allowed</translation>
    </message>
    <message>
        <source>書き込めませんでした (ディスクがいっぱいか、取り外されました)</source>
        <translation>it could not be written (the disk is full or was removed)</translation>
    </message>
    <message>
        <source>ファイルがありません</source>
        <translation>the file does not exist</translation>
    </message>
    <message>
        <source>読み取りが許可されていません</source>
        <translation>reading it is not allowed</translation>
    </message>
    <message>
        <source>データファイルとして読めません</source>
        <translation>it cannot be read as a data file</translation>
    </message>
</context>
<context>
    <name>varnelo::GisExport</name>
    <message>
        <source>GISへ書き出し...</source>
        <extracomment>File menu: export the records as a point layer for GIS programs (GeoJSON with spectral indices).</extracomment>
        <translation>Export to &amp;GIS...</translation>
    </message>
    <message>
        <source>レコードを分光指数と反射スペクトル付きの GIS ポイントレイヤー (GeoJSON) に書き出す</source>
        <extracomment>Status bar prompt of the GIS export command.</extracomment>
        <translation>Write the records as a GIS point layer (GeoJSON) with spectral indices and reflectance</translation>
    </message>
    <message>
        <source>GISへ書き出し</source>
        <extracomment>Title of the save dialog of the GIS export.</extracomment>
        <translation>Export to GIS</translation>
    </message>
    <message>
        <source>GIS ポイントレイヤーに書き出しています...</source>
        <extracomment>Progress dialog while the GIS point layer is written.</extracomment>
        <translation>Writing the GIS point layer...</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>GIS への書き出しを取り消しました</source>
        <extracomment>Status bar: the GIS export was cancelled; nothing was written.</extracomment>
        <translation>GIS export cancelled</translation>
    </message>
    <message>
        <source>GIS ポイントレイヤーを書き出せませんでした: %1</source>
        <extracomment>Status bar: the GIS point layer could not be written; %1 the reason.</extracomment>
        <translation>Could not write the GIS point layer: %1</translation>
    </message>
    <message>
        <source>GIS ポイントレイヤーを書き出せませんでした。</source>
        <extracomment>Message box: the GIS point layer could not be written (the file is named below it).</extracomment>
        <translation>Could not write the GIS point layer.</translation>
    </message>
    <message>
        <source>%1 点を GIS ポイントレイヤーに書き出しました: %2</source>
        <extracomment>Status bar: %1 points (records with a GPS fix) were written as a GIS point layer to file %2.</extracomment>
        <translation>%1 points written to the GIS point layer: %2</translation>
    </message>
</context>
<context>
    <name>varnelo::IndexReadout</name>
    <message>
        <source>選択したレコードの分光指数</source>
        <extracomment>Tooltip of the status bar field that shows the vegetation indices (NDVI, PRI, red-edge position REP, MTCI) of the selected record.</extracomment>
        <translation>Spectral indices of the selected record</translation>
    </message>
    <message>
        <source>天頂角 %1°</source>
        <extracomment>Status bar readout: the sun&apos;s zenith angle in degrees at the record&apos;s time and place.</extracomment>
        <translation>zenith %1°</translation>
    </message>
</context>
<context>
    <name>varnelo::Language</name>
    <message>
        <source>日本語</source>
        <comment>own name</comment>
        <translation>English</translation>
    </message>
    <message>
        <source>言語 / Language</source>
        <translation>Language</translation>
    </message>
</context>
<context>
    <name>varnelo::LibraryExport</name>
    <message>
        <source>スペクトルライブラリへ書き出し...</source>
        <extracomment>File menu: export the records&apos; reflectance spectra as an ENVI spectral library.</extracomment>
        <translation>Export Spectral Library...</translation>
    </message>
    <message>
        <source>レコードの反射スペクトルを ENVI スペクトルライブラリ (.sli, .hdr, .csv) に書き出す</source>
        <extracomment>Status bar prompt of the spectral library export command.</extracomment>
        <translation>Export the records&apos; reflectance spectra as an ENVI spectral library (.sli, .hdr, .csv)</translation>
    </message>
    <message>
        <source>スペクトルライブラリへ書き出し</source>
        <extracomment>Title of the save dialog of the spectral library export.</extracomment>
        <translation>Export Spectral Library</translation>
    </message>
    <message>
        <source>開いているデータファイルを上書きしてしまうため書き出せません。</source>
        <extracomment>Message box: a file of the library (.hdr or .csv) would replace the open data file.</extracomment>
        <translation>Not written: it would replace the open data file.</translation>
    </message>
    <message>
        <source>スペクトルライブラリに書き出しています...</source>
        <extracomment>Progress dialog while the spectral library is written.</extracomment>
        <translation>Writing the spectral library...</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>%1 件のスペクトルをスペクトルライブラリに書き出しました: %2</source>
        <extracomment>Status bar: %1 spectra were written as an ENVI spectral library to file %2.</extracomment>
        <translation>%1 spectra written to the spectral library: %2</translation>
    </message>
    <message>
        <source>スペクトルライブラリの書き出しを取り消しました</source>
        <extracomment>Status bar: the spectral library export was cancelled; nothing was written.</extracomment>
        <translation>Spectral library export cancelled</translation>
    </message>
    <message>
        <source>スペクトルライブラリを書き出せませんでした: %1</source>
        <extracomment>Status bar: the spectral library could not be written; %1 the reason.</extracomment>
        <translation>The spectral library could not be written: %1</translation>
    </message>
    <message>
        <source>スペクトルライブラリを書き出せませんでした。</source>
        <extracomment>Message box: the spectral library could not be written (the file is named below it).</extracomment>
        <translation>The spectral library could not be written.</translation>
    </message>
</context>
<context>
    <name>varnelo::LoggerMessages</name>
    <message>
        <source>識別情報 A (コマンド 0)</source>
        <translation>identity A (command 0)</translation>
    </message>
    <message>
        <source>識別情報 B (コマンド 2)</source>
        <translation>identity B (command 2)</translation>
    </message>
    <message>
        <source>装置情報 (コマンド 6)</source>
        <translation>device information (command 6)</translation>
    </message>
    <message>
        <source>パラメータブロック (コマンド 8)</source>
        <translation>parameter block (command 8)</translation>
    </message>
    <message>
        <source>レコードの読み出し (コマンド 16)</source>
        <translation>record read (command 16)</translation>
    </message>
    <message>
        <source>レコード数 (コマンド 18)</source>
        <translation>record count (command 18)</translation>
    </message>
    <message>
        <source>装置情報の書き込み (コマンド 139)</source>
        <translation>device information write (command 139)</translation>
    </message>
    <message>
        <source>レコードの選択 (コマンド 140)</source>
        <translation>record select (command 140)</translation>
    </message>
    <message>
        <source>コマンド %1</source>
        <translation>command %1</translation>
    </message>
    <message>
        <source>ポートが失われました (ケーブルが抜かれたか、閉じられました)</source>
        <translation>the port has gone (device unplugged or closed)</translation>
    </message>
    <message>
        <source>正常</source>
        <translation>ok</translation>
    </message>
    <message>
        <source>長さ %1 はプロトコルの範囲外です</source>
        <translation>length %1 is outside the protocol</translation>
    </message>
    <message>
        <source>%1 バイト中 %2 バイトしか書き込めませんでした</source>
        <translation>only %2 of %1 bytes could be written</translation>
    </message>
    <message>
        <source>%1 バイト中 %2 バイトしか時間内に届きませんでした</source>
        <translation>%2 of %1 reply bytes arrived in time</translation>
    </message>
    <message>
        <source>応答が求めた %1 バイトより長く続きました</source>
        <translation>the reply ran longer than the %1 bytes asked for</translation>
    </message>
    <message>
        <source>中止しました</source>
        <translation>stopped</translation>
    </message>
    <message>
        <source>ポートが失われ、ロガーに接続し直せませんでした</source>
        <translation>the port has gone and no logger answered again</translation>
    </message>
    <message>
        <source>ロガーが応答しません: %1</source>
        <translation>The logger does not answer: %1</translation>
    </message>
    <message>
        <source>ロガーが応答しません</source>
        <translation>The logger does not answer</translation>
    </message>
    <message>
        <source>ロガーが見つかりません: %1 個のシリアルポートのどれも USB ID %2 を持っていません</source>
        <translation>No logger found: none of the %1 serial ports has the USB id %2</translation>
    </message>
    <message>
        <source>ロガーのポート %1 がありません</source>
        <translation>The logger&apos;s port %1 does not exist</translation>
    </message>
    <message>
        <source>ロガーのポート %1 を開く権限がありません。dialout グループに入るか、パッケージの udev ルールをインストールしてください</source>
        <translation>You may not open the logger&apos;s port %1: join the dialout group, or install the package&apos;s udev rule</translation>
    </message>
    <message>
        <source>ロガーのポート %1 は別のプログラムが使っています</source>
        <translation>Another program is using the logger&apos;s port %1</translation>
    </message>
    <message>
        <source>%1 はシリアルポートではありません</source>
        <translation>%1 is not a serial port</translation>
    </message>
    <message>
        <source>%1 のドライバーが raw モードを拒否しました</source>
        <translation>The driver of %1 refused raw mode</translation>
    </message>
    <message>
        <source>ロガーのポート %1 を開けません (%2)</source>
        <translation>Cannot open the logger&apos;s port %1 (%2)</translation>
    </message>
</context>
<context>
    <name>varnelo::NetcdfExport</name>
    <message>
        <source>NetCDFへ書き出し...</source>
        <extracomment>File menu: export the records as a NetCDF-4 file (CF conventions) for the geosciences&apos; tools.</extracomment>
        <translation>Export to NetCDF...</translation>
    </message>
    <message>
        <source>レコードのスペクトル、反射率、位置と品質フラグを NetCDF (CF) ファイルに書き出す</source>
        <extracomment>Status bar prompt of the NetCDF export command.</extracomment>
        <translation>Export the records&apos; spectra, reflectance, positions and quality flags to a NetCDF (CF) file</translation>
    </message>
    <message>
        <source>NetCDFへ書き出し</source>
        <extracomment>Title of the save dialog of the NetCDF export.</extracomment>
        <translation>Export to NetCDF</translation>
    </message>
    <message>
        <source>%1 件のレコードを NetCDF に書き出しました: %2</source>
        <extracomment>Status bar: %1 records were written as a NetCDF file %2.</extracomment>
        <translation>Exported %1 records to NetCDF: %2</translation>
    </message>
    <message>
        <source>NetCDF への書き出しを取り消しました</source>
        <extracomment>Status bar: the NetCDF export was cancelled; nothing was written.</extracomment>
        <translation>NetCDF export cancelled</translation>
    </message>
    <message>
        <source>NetCDF ファイルを書き出せませんでした: %1</source>
        <extracomment>Status bar: the NetCDF file could not be written; %1 the reason.</extracomment>
        <translation>The NetCDF file could not be written: %1</translation>
    </message>
    <message>
        <source>NetCDF ファイルを書き出せませんでした。</source>
        <extracomment>Message box: the NetCDF file could not be written (the file is named below it).</extracomment>
        <translation>The NetCDF file could not be written.</translation>
    </message>
    <message>
        <source>NetCDF に書き出しています...</source>
        <extracomment>Progress dialog while the NetCDF file is written.</extracomment>
        <translation>Exporting to NetCDF...</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>varnelo::ResultSettings</name>
    <message>
        <source>結果の設定の UTC からの時差を使えません。</source>
        <extracomment>Message box: the UTC offset of the result settings is wrong or cannot be found from the GPS time.</extracomment>
        <translation>The UTC offset of the result settings cannot be used.</translation>
    </message>
    <message>
        <source>結果の設定の白色板のレコードを使えません。</source>
        <extracomment>Message box: the white panel records of the result settings are not a list or lie beyond the records.</extracomment>
        <translation>The white panel records of the result settings cannot be used.</translation>
    </message>
    <message>
        <source>結果の設定の白色板の反射率を読めません。</source>
        <extracomment>Message box: the white panel&apos;s certified reflectance (a factor or a CSV file) cannot be read.</extracomment>
        <translation>The white panel reflectance of the result settings cannot be read.</translation>
    </message>
    <message>
        <source>結果の設定の最大天頂角が正しくありません。</source>
        <extracomment>Message box: the largest sun zenith angle of the result settings is not a number of degrees 0..180.</extracomment>
        <translation>The maximum zenith angle of the result settings is not valid.</translation>
    </message>
    <message>
        <source>結果の設定の飽和レベルが正しくありません。</source>
        <extracomment>Message box: the saturation level (counts) of the result settings is not a positive number.</extracomment>
        <translation>The saturation level of the result settings is not valid.</translation>
    </message>
</context>
<context>
    <name>varnelo::ResultSettingsDialog</name>
    <message>
        <source>結果の設定</source>
        <extracomment>Title of the dialog holding the settings every result export uses (UTC offset, white panel, sun, saturation).</extracomment>
        <translation>Result Settings</translation>
    </message>
    <message>
        <source>ロガーの時計の UTC からの時差:</source>
        <extracomment>Result settings: heading of the choice of the logger clock&apos;s offset from UTC.</extracomment>
        <translation>Logger clock&apos;s offset from UTC:</translation>
    </message>
    <message>
        <source>なし (ロガーの時計のまま)(&amp;N)</source>
        <extracomment>Result settings: no offset; times stay the logger clock&apos;s own and the sun is not placed.</extracomment>
        <translation>&amp;None (the logger&apos;s clock as it is)</translation>
    </message>
    <message>
        <source>GPS の時刻から求める(&amp;G)</source>
        <extracomment>Result settings: find the offset from the GPS time of the records.</extracomment>
        <translation>From the &amp;GPS time</translation>
    </message>
    <message>
        <source>指定する (±HH:MM)(&amp;S):</source>
        <extracomment>Result settings: the offset is the one typed beside, ±HH:MM.</extracomment>
        <translation>&amp;Given (±HH:MM):</translation>
    </message>
    <message>
        <source>UTC からの時差</source>
        <translation>Offset from UTC</translation>
    </message>
    <message>
        <source>白色板のレコード(&amp;P):</source>
        <extracomment>Result settings: the record numbers (from 0) taken over the white reference panel, &quot;0,20-21,39&quot;.</extracomment>
        <translation>White &amp;panel records:</translation>
    </message>
    <message>
        <source>選択したレコードをパネルにする</source>
        <extracomment>Result settings: adds the record selected in the record list to the white panel records.</extracomment>
        <translation>Make the Selected Record a Panel</translation>
    </message>
    <message>
        <source>白色板の反射率 (係数または CSV)(&amp;R):</source>
        <extracomment>Result settings: the panel&apos;s certified reflectance, a factor or a CSV table (wavelength nm, reflectance).</extracomment>
        <translation>Panel &amp;reflectance (factor or CSV):</translation>
    </message>
    <message>
        <source>参照(&amp;B)...</source>
        <extracomment>Result settings: button choosing the CSV table of the panel&apos;s reflectance.</extracomment>
        <translation>&amp;Browse...</translation>
    </message>
    <message>
        <source>白色板の反射率の CSV ファイルを選ぶ</source>
        <translation>Choose the CSV file of the panel reflectance</translation>
    </message>
    <message>
        <source>最大天頂角 (度)(&amp;Z):</source>
        <extracomment>Result settings: a record whose sun zenith angle is larger is flagged lowsun (degrees).</extracomment>
        <translation>Maximum &amp;zenith (degrees):</translation>
    </message>
    <message>
        <source>飽和レベル (カウント)(&amp;L):</source>
        <extracomment>Result settings: a raw reading at or above this count is flagged saturated.</extracomment>
        <translation>Saturation &amp;level (counts):</translation>
    </message>
    <message>
        <source>白色板の反射率</source>
        <extracomment>Title of the file dialog choosing the white panel&apos;s reflectance table.</extracomment>
        <translation>White Panel Reflectance</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>varnelo::TrackColourMenu</name>
    <message>
        <source>軌跡の色</source>
        <extracomment>View menu: submenu choosing what colours the points of the GPS track chart.</extracomment>
        <translation>Track &amp;Colour</translation>
    </message>
    <message>
        <source>なし</source>
        <extracomment>Track colour: none; the track is drawn plain, as without colouring.</extracomment>
        <translation>None</translation>
    </message>
</context>
</TS>
