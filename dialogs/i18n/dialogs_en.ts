<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="LBLOK">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="LBLWarning">
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message id="MESGInfoProvideZANUser">
        <source>Please enter your user name.</source>
        <translation>Please enter your user name.</translation>
    </message>
    <message id="MESGInfoProvideZANPassword">
        <source>Please enter your password.</source>
        <translation>Please enter your password.</translation>
    </message>
    <message id="MESGInfoProvideZANApiKey">
        <source>Please enter your API key.</source>
        <translation>Please enter your API key.</translation>
    </message>
    <message id="MESGInfoProvideUser">
        <source>Please enter the proxy user name.</source>
        <translation>Please enter the proxy user name.</translation>
    </message>
    <message id="MESGInfoProvidePassword">
        <source>Please enter the proxy password.</source>
        <translation>Please enter the proxy password.</translation>
    </message>
    <message id="LBLSelectNodeTitle">
        <source>Select a Node</source>
        <translation>Select a Node</translation>
    </message>
    <message id="LBLSelectNodePrompt">
        <source>Choose the node to run the session on:</source>
        <translation>Choose the node to run the session on:</translation>
    </message>
    <message id="LBLSelectNodeGroupTitle">
        <source>Select a Node Group</source>
        <translation>Select a Node Group</translation>
    </message>
    <message id="LBLSelectNodeGroupPrompt">
        <source>Choose the node group to use:</source>
        <translation>Choose the node group to use:</translation>
    </message>
    <message id="LBLSelectSessionTitle">
        <source>Select a Session</source>
        <translation>Select a Session</translation>
    </message>
    <message id="LBLSelectSessionPrompt">
        <source>Start a new session or choose one to reconnect to:</source>
        <translation>Start a new session or choose one to reconnect to:</translation>
    </message>
    <message id="LBLSelectSharedTitle">
        <source>Select a Shared Session</source>
        <translation>Select a Shared Session</translation>
    </message>
    <message id="LBLSelectSharedPrompt">
        <source>Choose the shared session to join:</source>
        <translation>Choose the shared session to join:</translation>
    </message>
    <message id="LBLSelectSuspendTitle">
        <source>Select a Suspended Session</source>
        <translation>Select a Suspended Session</translation>
    </message>
    <message id="LBLSelectSuspendPrompt">
        <source>Choose the suspended session to resume:</source>
        <translation>Choose the suspended session to resume:</translation>
    </message>
    <message id="LBLFilter">
        <source>&amp;Filter:</source>
        <translation>&amp;Filter:</translation>
    </message>
    <message id="LBLFilterPlaceholder">
        <source>Type to narrow the list (Ctrl+F)</source>
        <translation>Type to narrow the list (Ctrl+F)</translation>
    </message>
    <message id="LBLFilterAccessible">
        <source>Filter the list</source>
        <translation>Filter the list</translation>
    </message>
    <message id="LBLHelp">
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message id="LBLCancel">
        <source>&amp;Cancel</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message id="LBLSelect">
        <source>&amp;Select</source>
        <translation>&amp;Select</translation>
    </message>
    <message id="LBLColumnName">
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message id="LBLColumnHost">
        <source>Host</source>
        <translation>Host</translation>
    </message>
    <message id="LBLColumnPlatform">
        <source>Platform</source>
        <translation>Platform</translation>
    </message>
    <message id="LBLColumnPort">
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message id="LBLColumnSessions">
        <source>Sessions</source>
        <translation>Sessions</translation>
    </message>
    <message id="LBLColumnCPU">
        <source>CPU %</source>
        <translation>CPU %</translation>
    </message>
    <message id="LBLColumnMemory">
        <source>Memory %</source>
        <translation>Memory %</translation>
    </message>
    <message id="LBLColumnNodeGroup">
        <source>Node group</source>
        <translation>Node group</translation>
    </message>
    <message id="LBLColumnMembers">
        <source>Members</source>
        <translation>Members</translation>
    </message>
    <message id="LBLColumnSession">
        <source>Session</source>
        <translation>Session</translation>
    </message>
    <message id="LBLColumnStatus">
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message id="LBLColumnUser">
        <source>User</source>
        <translation>User</translation>
    </message>
    <message id="LBLColumnProfile">
        <source>Profile</source>
        <translation>Profile</translation>
    </message>
    <message id="LBLColumnDescription">
        <source>Description</source>
        <translation>Description</translation>
    </message>
    <message id="LBLColumnStarted">
        <source>Started</source>
        <translation>Started</translation>
    </message>
</context>
</TS>
