<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja">
<context>
    <name></name>
    <message id="LBLOK">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="LBLWarning">
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message id="MESGInfoProvideZANUser">
        <source>Please enter your user name.</source>
        <translation>ユーザー名を入力してください。</translation>
    </message>
    <message id="MESGInfoProvideZANPassword">
        <source>Please enter your password.</source>
        <translation>パスワードを入力してください。</translation>
    </message>
    <message id="MESGInfoProvideZANApiKey">
        <source>Please enter your API key.</source>
        <translation>API キーを入力してください。</translation>
    </message>
    <message id="MESGInfoProvideUser">
        <source>Please enter the proxy user name.</source>
        <translation>プロキシのユーザー名を入力してください。</translation>
    </message>
    <message id="MESGInfoProvidePassword">
        <source>Please enter the proxy password.</source>
        <translation>プロキシのパスワードを入力してください。</translation>
    </message>
    <message id="LBLSelectNodeTitle">
        <source>Select a Node</source>
        <translation>ノードの選択</translation>
    </message>
    <message id="LBLSelectNodePrompt">
        <source>Choose the node to run the session on:</source>
        <translation>セッションを実行するノードを選択してください:</translation>
    </message>
    <message id="LBLSelectNodeGroupTitle">
        <source>Select a Node Group</source>
        <translation>ノードグループの選択</translation>
    </message>
    <message id="LBLSelectNodeGroupPrompt">
        <source>Choose the node group to use:</source>
        <translation>使用するノードグループを選択してください:</translation>
    </message>
    <message id="LBLSelectSessionTitle">
        <source>Select a Session</source>
        <translation>セッションの選択</translation>
    </message>
    <message id="LBLSelectSessionPrompt">
        <source>Start a new session or choose one to reconnect to:</source>
        <translation>新しいセッションを開始するか、再接続するセッションを選択してください:</translation>
    </message>
    <message id="LBLSelectSharedTitle">
        <source>Select a Shared Session</source>
        <translation>共有セッションの選択</translation>
    </message>
    <message id="LBLSelectSharedPrompt">
        <source>Choose the shared session to join:</source>
        <translation>参加する共有セッションを選択してください:</translation>
    </message>
    <message id="LBLSelectSuspendTitle">
        <source>Select a Suspended Session</source>
        <translation>一時停止中のセッションの選択</translation>
    </message>
    <message id="LBLSelectSuspendPrompt">
        <source>Choose the suspended session to resume:</source>
        <translation>再開する一時停止中のセッションを選択してください:</translation>
    </message>
    <message id="LBLFilter">
        <source>&amp;Filter:</source>
        <translation>フィルター(&amp;F):</translation>
    </message>
    <message id="LBLFilterPlaceholder">
        <source>Type to narrow the list (Ctrl+F)</source>
        <translation>入力して一覧を絞り込みます (Ctrl+F)</translation>
    </message>
    <message id="LBLFilterAccessible">
        <source>Filter the list</source>
        <translation>一覧を絞り込む</translation>
    </message>
    <message id="LBLHelp">
        <source>&amp;Help</source>
        <translation>ヘルプ(&amp;H)</translation>
    </message>
    <message id="LBLCancel">
        <source>&amp;Cancel</source>
        <translation>キャンセル(&amp;C)</translation>
    </message>
    <message id="LBLSelect">
        <source>&amp;Select</source>
        <translation>選択(&amp;S)</translation>
    </message>
    <message id="LBLColumnName">
        <source>Name</source>
        <translation>名前</translation>
    </message>
    <message id="LBLColumnHost">
        <source>Host</source>
        <translation>ホスト</translation>
    </message>
    <message id="LBLColumnPlatform">
        <source>Platform</source>
        <translation>プラットフォーム</translation>
    </message>
    <message id="LBLColumnPort">
        <source>Port</source>
        <translation>ポート</translation>
    </message>
    <message id="LBLColumnSessions">
        <source>Sessions</source>
        <translation>セッション数</translation>
    </message>
    <message id="LBLColumnCPU">
        <source>CPU %</source>
        <translation>CPU %</translation>
    </message>
    <message id="LBLColumnMemory">
        <source>Memory %</source>
        <translation>メモリ %</translation>
    </message>
    <message id="LBLColumnNodeGroup">
        <source>Node group</source>
        <translation>ノードグループ</translation>
    </message>
    <message id="LBLColumnMembers">
        <source>Members</source>
        <translation>メンバー数</translation>
    </message>
    <message id="LBLColumnSession">
        <source>Session</source>
        <translation>セッション</translation>
    </message>
    <message id="LBLColumnStatus">
        <source>Status</source>
        <translation>状態</translation>
    </message>
    <message id="LBLColumnUser">
        <source>User</source>
        <translation>ユーザー</translation>
    </message>
    <message id="LBLColumnProfile">
        <source>Profile</source>
        <translation>プロファイル</translation>
    </message>
    <message id="LBLColumnDescription">
        <source>Description</source>
        <translation>説明</translation>
    </message>
    <message id="LBLColumnStarted">
        <source>Started</source>
        <translation>開始日時</translation>
    </message>
</context>
</TS>
