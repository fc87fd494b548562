<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>ContentsTree</name>
    <message>
        <source>文件夹</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>已存文件</source>
        <translation>Stored file</translation>
    </message>
</context>
<context>
    <name>ContentsTreeFind</name>
    <message>
        <source>没有找到</source>
        <translation>Nothing found</translation>
    </message>
</context>
<context>
    <name>ContextCommands</name>
    <message>
        <source>选择文件夹</source>
        <translation>Choose a folder</translation>
    </message>
    <message>
        <source>不能还原到保险柜之内：
%1</source>
        <translation>Cannot restore into the vault:
%1</translation>
    </message>
    <message numerus="yes">
        <source>%n 个文件已还原到</source>
        <translation>
            <numerusform>%n file restored to </numerusform>
            <numerusform>%n files restored to </numerusform>
        </translation>
    </message>
    <message>
        <source>原来的位置</source>
        <translation>the original location</translation>
    </message>
    <message>
        <source>目录：%1 <byte value="xd"/>
 路径下所有的文件和子目录都将被删除，并且不可恢复。继续吗？</source>
        <translation>Folder: %1 <byte value="xd"/>
 All files and subfolders in it will be deleted and cannot be recovered. Continue?</translation>
    </message>
    <message numerus="yes">
        <source>文件：%1 <byte value="xd"/>
 它的全部 %n 个版本都将被删除，并且不可恢复。继续吗？<byte value="xd"/>
（只保留其中一个版本，请用“解决冲突...”。）</source>
        <translation>
            <numerusform>File: %1 <byte value="xd"/>
 Its %n version will be deleted and cannot be recovered. Continue?<byte value="xd"/>
(To keep only one version, use “Resolve conflict...”.)</numerusform>
            <numerusform>File: %1 <byte value="xd"/>
 All %n of its versions will be deleted and cannot be recovered. Continue?<byte value="xd"/>
(To keep only one version, use “Resolve conflict...”.)</numerusform>
        </translation>
    </message>
    <message>
        <source>文件：%1 <byte value="xd"/>
 将被删除，并且不可恢复。继续吗？</source>
        <translation>File: %1 <byte value="xd"/>
 It will be deleted and cannot be recovered. Continue?</translation>
    </message>
    <message>
        <source>删除警告</source>
        <translation>Confirm delete</translation>
    </message>
    <message>
        <source>以下项目未能删除：</source>
        <translation>The following items could not be deleted:</translation>
    </message>
    <message>
        <source>这个文件只有一个版本，没有冲突需要解决。</source>
        <translation>This file has only one version; there is no conflict to resolve.</translation>
    </message>
</context>
<context>
    <name>CoreTexts</name>
    <message>
        <source>目标文件已经在保险柜存在，覆盖它吗？</source>
        <translation>The file is already stored in the vault. Overwrite it?</translation>
    </message>
    <message>
        <source>目标文件已经存在，覆盖它吗？</source>
        <translation>The file already exists at the destination. Overwrite it?</translation>
    </message>
    <message>
        <source>硬盘空间不足。
%1 所在的磁盘需要 %2，只有 %3 可用；需要的空间含须留出的 %4。</source>
        <translation>Not enough disk space.
The disk holding %1 needs %2, but only %3 is free; the space needed includes %4 that must be left free.</translation>
    </message>
    <message>
        <source>权限不够</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>磁盘已满</source>
        <translation>disk full</translation>
    </message>
    <message>
        <source>只读文件系统</source>
        <translation>read-only file system</translation>
    </message>
    <message>
        <source>文件系统不支持此操作</source>
        <translation>operation not supported by the file system</translation>
    </message>
    <message>
        <source>文件名太长</source>
        <translation>file name too long</translation>
    </message>
    <message>
        <source>文件或文件夹已不存在</source>
        <translation>the file or folder no longer exists</translation>
    </message>
    <message>
        <source>不是文件夹</source>
        <translation>not a folder</translation>
    </message>
    <message>
        <source>不是普通文件（链接、管道或设备）</source>
        <translation>not a regular file (a link, pipe or device)</translation>
    </message>
    <message>
        <source>读写出错</source>
        <translation>read or write error</translation>
    </message>
    <message>
        <source>文件太大（须小于 4 GB）</source>
        <translation>file too large (must be smaller than 4 GB)</translation>
    </message>
    <message>
        <source>路径太长或含有不能记录的字符</source>
        <translation>path too long or has characters that cannot be recorded</translation>
    </message>
    <message>
        <source>已存文件已损坏（第 %1 块）</source>
        <translation>the stored file is damaged (chunk %1)</translation>
    </message>
    <message>
        <source>已存文件已损坏</source>
        <translation>the stored file is damaged</translation>
    </message>
    <message>
        <source>已加密的已存文件，须在其加密保险柜中打开</source>
        <translation>an encrypted stored file, which must be opened in its protected vault</translation>
    </message>
    <message>
        <source>已存文件的格式较新，本程序读不了</source>
        <translation>the stored file has a newer format that this program cannot read</translation>
    </message>
    <message>
        <source>已存文件属于另一个保险柜，在这里打不开</source>
        <translation>the stored file belongs to another vault and cannot be opened here</translation>
    </message>
    <message>
        <source>目标位置是一个文件夹</source>
        <translation>the destination is a folder</translation>
    </message>
    <message>
        <source>已有的文件没有覆盖</source>
        <translation>the existing file was not overwritten</translation>
    </message>
    <message>
        <source>操作已取消</source>
        <translation>cancelled</translation>
    </message>
    <message>
        <source>其他错误</source>
        <translation>other error</translation>
    </message>
    <message>
        <source>其他错误：%1</source>
        <translation>other error: %1</translation>
    </message>
    <message>
        <source>这是保险柜或其存放位置，不能存入</source>
        <translation>this is a vault or the vault location, which cannot be stored</translation>
    </message>
    <message>
        <source>位于保险柜之内，不能存入</source>
        <translation>inside the vault, so it cannot be stored</translation>
    </message>
    <message>
        <source>存入时源文件有变动，源文件已保留</source>
        <translation>the source file changed while being stored; the source file was kept</translation>
    </message>
    <message>
        <source>记录的原位置不可用</source>
        <translation>the recorded original location cannot be used</translation>
    </message>
    <message>
        <source>还原位置在保险柜之内，未还原</source>
        <translation>the restore location is inside the vault; not restored</translation>
    </message>
    <message>
        <source>同名文件的旧版本，只还原了最新的版本（可用“解决冲突...”处理）</source>
        <translation>an older version of a file of the same name; only the newest version was restored (use “Resolve conflict...” to deal with it)</translation>
    </message>
    <message>
        <source>户名或者口令出错。</source>
        <translation>The user name or password is wrong.</translation>
    </message>
    <message>
        <source>保险柜中的已存文件已损坏，无法核对户名和口令：
%1</source>
        <translation>A stored file in the vault is damaged, so the user name and password cannot be checked:
%1</translation>
    </message>
    <message>
        <source>保险柜中的已存文件不能读取（%1），无法核对户名和口令：
%2</source>
        <translation>A stored file in the vault cannot be read (%1), so the user name and password cannot be checked:
%2</translation>
    </message>
    <message>
        <source>恢复密钥不是这个保险柜的。</source>
        <translation>The recovery key is not the one for this vault.</translation>
    </message>
    <message>
        <source>保险柜的密钥记录已损坏，两份都不能使用，无法打开保险柜：
%1</source>
        <translation>The vault&apos;s key record is damaged and neither copy can be used, so the vault cannot be opened:
%1</translation>
    </message>
    <message>
        <source>保险柜的密钥记录来自更新的版本，或参数超出范围，本程序不能打开：
%1</source>
        <translation>The vault&apos;s key record comes from a newer version or has settings out of range; this program cannot open it:
%1</translation>
    </message>
    <message>
        <source>这个保险柜没有加密保护，没有密钥记录可用。</source>
        <translation>This vault is not protected, so it has no key record to use.</translation>
    </message>
    <message>
        <source>这个位置已经有保险柜了。</source>
        <translation>There is already a vault at this location.</translation>
    </message>
    <message>
        <source>内存不足，无法计算保险柜的密钥。</source>
        <translation>Not enough memory to compute the vault&apos;s key.</translation>
    </message>
    <message>
        <source>保险柜中还有没有加密保护的文件，它们只能用现在的口令读出：
%1
请先用“加密保护此保险柜...”转换完，再修改口令。</source>
        <translation>The vault still holds unprotected files, which can only be read with the current password:
%1
Please finish converting them with “Protect this vault...” before changing the password.</translation>
    </message>
    <message>
        <source>这个位置原来是加密保护的保险柜，但密钥记录不见了：
%1
没有密钥记录（.quovex-key、.quovex-key.2），那里加密保存的文件谁也打不开。请先把密钥记录放回去（比如从备份中恢复）。</source>
        <translation>This location used to be a protected vault, but its key record is missing:
%1
Without the key record (.quovex-key, .quovex-key.2), no one can open the files encrypted there. Please put the key record back first (for example, from a backup).</translation>
    </message>
    <message>
        <source>这个位置没有密钥记录（.quovex-key），却已有加密保护的保险柜的文件（或同步程序的文件夹）：
%1
密钥记录可能还没有从另一台电脑同步过来，也可能丢失了。请等同步完成（或把密钥记录放回去）后再打开；这里没有新建任何东西。</source>
        <translation>This location has no key record (.quovex-key), yet it already holds files of a protected vault (or a sync program&apos;s folders):
%1
The key record may not have been synced from another computer yet, or it may be lost. Please wait until syncing is complete (or put the key record back) and open it again; nothing has been created here.</translation>
    </message>
    <message>
        <source>需要输入口令才能打开那里的保险柜。</source>
        <translation>A password is needed to open the vault there.</translation>
    </message>
    <message>
        <source>新口令不能是原来的口令：没有加密保护的文件（包括它们的备份）会泄露原来的口令。</source>
        <translation>The new password must not be the old one: unprotected files (including their backups) give away the old password.</translation>
    </message>
    <message>
        <source>密钥记录 %1 属于另一个保险柜：这里的已存文件用它打不开。什么也没有改动。</source>
        <translation>The key record %1 belongs to another vault: the files stored here cannot be opened with it. Nothing has been changed.</translation>
    </message>
    <message>
        <source>密钥记录的两份（.quovex-key 和 .quovex-key.2）属于两个不同的保险柜，保险柜里没有已存文件能判断哪一份是它的，因此什么也没有改动。请把不属于这个保险柜的那一份移走：
%1</source>
        <translation>The two copies of the key record (.quovex-key and .quovex-key.2) belong to two different vaults, and there is no stored file in the vault to tell which copy is its own, so nothing has been changed. Please move away the copy that does not belong to this vault:
%1</translation>
    </message>
    <message>
        <source>读写保险柜的密钥记录出错（%1）：
%2</source>
        <translation>Error reading or writing the vault&apos;s key record (%1):
%2</translation>
    </message>
    <message>
        <source>保险柜存放位置不能读写（%1）：
%2</source>
        <translation>The vault location cannot be read or written (%1):
%2</translation>
    </message>
    <message>
        <source>密钥记录 %1 属于另一个保险柜，已原样保留；保险柜是用另一份密钥记录打开的。</source>
        <translation>The key record %1 belongs to another vault and has been left as it is; the vault was opened with the other copy of the key record.</translation>
    </message>
    <message>
        <source>文档保险柜</source>
        <translation>Documents vault</translation>
    </message>
    <message>
        <source>图片保险柜</source>
        <translation>Pictures vault</translation>
    </message>
    <message>
        <source>视频保险柜</source>
        <translation>Videos vault</translation>
    </message>
    <message>
        <source>其他保险柜</source>
        <translation>Other vault</translation>
    </message>
</context>
<context>
    <name>DateText</name>
    <message>
        <source>yyyy年M月d日 H:m</source>
        <translation>yyyy-MM-dd HH:mm</translation>
    </message>
</context>
<context>
    <name>FileInfoDlg</name>
    <message>
        <source>（无法读取）</source>
        <translation>(cannot be read)</translation>
    </message>
    <message>
        <source>（已加密保护，需要本保险柜的口令才能查看）</source>
        <translation>(protected: the password of this vault is needed to see it)</translation>
    </message>
    <message>
        <source>（无法用本保险柜的密钥打开：文件已损坏或来自别的保险柜）</source>
        <translation>(cannot be opened with this vault&apos;s key: the file is damaged or comes from another vault)</translation>
    </message>
    <message>
        <source>（这个文件存在另一个保险柜里，在本保险柜中打不开）</source>
        <translation>(this file was stored in another vault and cannot be opened in this one)</translation>
    </message>
    <message>
        <source>
按 Esc 键可关闭窗口并放弃修改。</source>
        <translation>
Press Esc to close the window and discard the changes.</translation>
    </message>
    <message>
        <source>文件在打开属性窗口后已被改动、移走或替换，摘要没有保存。</source>
        <translation>The file was changed, moved or replaced after the properties window was opened; the summary was not saved.</translation>
    </message>
    <message>
        <source>摘要最多 511 个字节（一个汉字占 3 个字节），摘要没有保存。</source>
        <translation>The summary can be at most 511 bytes long (a Chinese character takes 3 bytes); the summary was not saved.</translation>
    </message>
    <message>
        <source>摘要最多 127 个字节（一个汉字占 2 个字节），摘要没有保存。</source>
        <translation>The summary can be at most 127 bytes long (a Chinese character takes 2 bytes); the summary was not saved.</translation>
    </message>
    <message>
        <source>文件的加密信息无法用本保险柜的密钥打开（文件已损坏或来自别的保险柜），摘要没有保存。</source>
        <translation>The file&apos;s encrypted information cannot be opened with this vault&apos;s key (the file is damaged or comes from another vault); the summary was not saved.</translation>
    </message>
    <message>
        <source>摘要中有无法保存的字符，摘要没有保存。</source>
        <translation>The summary has characters that cannot be saved; the summary was not saved.</translation>
    </message>
    <message>
        <source>无法写入文件（文件可能是只读的，或者磁盘出错），摘要没有保存。</source>
        <translation>The file cannot be written (it may be read-only, or the disk has an error); the summary was not saved.</translation>
    </message>
    <message>
        <source>
原文件修改于 %1</source>
        <translation>
Source file modified %1</translation>
    </message>
    <message>
        <source>%1（不在存入时的位置）</source>
        <translation>%1 (not where it was stored)</translation>
    </message>
</context>
<context>
    <name>FindField</name>
    <message>
        <source>查找</source>
        <translation>Find</translation>
    </message>
</context>
<context>
    <name>FindWalk</name>
    <message>
        <source>（无法读出的名字）</source>
        <translation>(unreadable name)</translation>
    </message>
</context>
<context>
    <name>HelpViewer</name>
    <message>
        <source>Merovik保险柜 帮助</source>
        <translation>Merovik Vault Help</translation>
    </message>
</context>
<context>
    <name>LoginDlg</name>
    <message>
        <source>户名和口令长度至少 4 位</source>
        <translation>The user name and password must each be at least 4 bytes long.</translation>
    </message>
    <message>
        <source>合法性警告</source>
        <translation>Invalid input</translation>
    </message>
    <message>
        <source>选择文件夹</source>
        <translation>Choose a folder</translation>
    </message>
</context>
<context>
    <name>MessageBox</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>是(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>全部是</source>
        <translation>Yes to All</translation>
    </message>
    <message>
        <source>否(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>全部否</source>
        <translation>No to All</translation>
    </message>
    <message>
        <source>Merovik保险柜</source>
        <translation>Merovik Vault</translation>
    </message>
</context>
<context>
    <name>NormalPage</name>
    <message>
        <source>请输入保险柜存放位置。</source>
        <translation>Please enter the vault location.</translation>
    </message>
    <message>
        <source>保险柜存放位置必须是完整路径，例如 %1。</source>
        <translation>The vault location must be a full path, for example %1.</translation>
    </message>
    <message>
        <source>选择文件夹</source>
        <translation>Choose a folder</translation>
    </message>
</context>
<context>
    <name>OpenedFiles</name>
    <message>
        <source>无法打开：没有可以存放打开文件的私有文件夹。</source>
        <translation>Cannot open: there is no private folder to hold opened files.</translation>
    </message>
    <message>
        <source>没有能打开此文件的程序：
%1</source>
        <translation>There is no program that can open this file:
%1</translation>
    </message>
    <message>
        <source>«%1» 已修改，存回保险柜吗？</source>
        <translation>«%1» has been modified. Store it back in the vault?</translation>
    </message>
    <message>
        <source>上次没有正常退出，以下打开过的文件已修改：</source>
        <translation>The program did not quit normally last time, and these opened files have been modified:</translation>
    </message>
    <message>
        <source>
存回保险柜吗？选“否”将丢弃这些修改。</source>
        <translation>
Store them back in the vault? Choosing “No” discards the changes.</translation>
    </message>
</context>
<context>
    <name>PasswordDlgs</name>
    <message>
        <source>恢复密钥的格式不对：应为 13 组，每组 4 个字母或数字。</source>
        <translation>The recovery key is not in the right form: it should be 13 groups of 4 letters or digits.</translation>
    </message>
    <message>
        <source>合法性警告</source>
        <translation>Invalid input</translation>
    </message>
    <message>
        <source>保险柜中还有没有加密保护的文件。它们用的就是现在的口令，
而这些文件（包括它们的备份）会泄露这个口令。
转换其余的文件时请换一个新口令。
转换可以中途取消，再次运行即可完成。</source>
        <translation>The vault still holds unprotected files. They use the current password,
and these files (including their backups) give that password away.
Please choose a new password to convert the remaining files.
You can cancel the conversion and run it again to finish.</translation>
    </message>
    <message>
        <source>口令不对，请输入登录时的口令。</source>
        <translation>Wrong password. Please enter the password you logged in with.</translation>
    </message>
    <message>
        <source>新口令不能是原来的口令：没有加密保护的文件（包括它们的备份）会泄露原来的口令。</source>
        <translation>The new password must not be the old one: unprotected files (including their backups) give away the old password.</translation>
    </message>
    <message>
        <source>口令长度至少 4 位</source>
        <translation>The password must be at least 4 bytes long.</translation>
    </message>
</context>
<context>
    <name>PasswordEntry</name>
    <message>
        <source>合法性警告</source>
        <translation>Invalid input</translation>
    </message>
    <message>
        <source>口令长度至少 4 位</source>
        <translation>The password must be at least 4 bytes long.</translation>
    </message>
    <message>
        <source>加密保护的保险柜，口令至少要 %1 个字符。</source>
        <translation>A protected vault needs a password of at least %1 characters.</translation>
    </message>
    <message>
        <source>两次输入的口令不一致。</source>
        <translation>The two passwords do not match.</translation>
    </message>
</context>
<context>
    <name>ProgressDlg</name>
    <message>
        <source>请稍候......</source>
        <translation>Please wait...</translation>
    </message>
    <message>
        <source>无法开始处理：内存或线程不足。</source>
        <translation>Cannot start: not enough memory or threads.</translation>
    </message>
</context>
<context>
    <name>RecoveryKeyDlg</name>
    <message>
        <source>Merovik保险柜 恢复密钥</source>
        <translation>Merovik Vault recovery key</translation>
    </message>
    <message>
        <source>忘记口令时，凭这个恢复密钥可以设置新口令，重新打开保险柜。请把这一页与电脑分开保管：得到它的人也能打开保险柜。</source>
        <translation>If you forget the password, this recovery key lets you set a new password and open the vault again. Keep this page away from the computer: anyone who has it can open the vault too.</translation>
    </message>
    <message>
        <source>打印恢复密钥</source>
        <translation>Print recovery key</translation>
    </message>
    <message>
        <source>把恢复密钥另存为 PDF</source>
        <translation>Save recovery key as PDF</translation>
    </message>
    <message>
        <source>恢复密钥.pdf</source>
        <translation>Recovery key.pdf</translation>
    </message>
</context>
<context>
    <name>RunReport</name>
    <message>
        <source>未能存入</source>
        <translation>not stored</translation>
    </message>
    <message>
        <source>未能还原</source>
        <translation>not restored</translation>
    </message>
    <message>
        <source>未能转换</source>
        <translation>not converted</translation>
    </message>
    <message>
        <source>%1（%2：%3）</source>
        <translation>%1 (%2: %3)</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>以下项目没有完成：</source>
        <translation>The following items were not finished:</translation>
    </message>
    <message>
        <source>%1（存入时：%2）</source>
        <translation>%1 (when stored: %2)</translation>
    </message>
    <message>
        <source>以下文件不在存入时的位置，已按存入时的名字还原：</source>
        <translation>These files are no longer where they were stored; they were restored under the names they were stored with:</translation>
    </message>
    <message numerus="yes">
        <source>……另有 %n 项。</source>
        <translation>
            <numerusform>...and %n more item.</numerusform>
            <numerusform>...and %n more items.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>SetPropertySheet</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>应用(&amp;A)</source>
        <translation>&amp;Apply</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
</context>
<context>
    <name>SettingsCommand</name>
    <message>
        <source>参数设置</source>
        <translation>Settings</translation>
    </message>
</context>
<context>
    <name>SizeText</name>
    <message>
        <source>字节</source>
        <translation>bytes</translation>
    </message>
</context>
<context>
    <name>StrengthMeter</name>
    <message>
        <source>很弱</source>
        <translation>very weak</translation>
    </message>
    <message>
        <source>弱</source>
        <translation>weak</translation>
    </message>
    <message>
        <source>良好</source>
        <translation>good</translation>
    </message>
    <message>
        <source>很强</source>
        <translation>very strong</translation>
    </message>
    <message>
        <source>口令强度：%1（约 %2 位）</source>
        <translation>Password strength: %1 (about %2 bits)</translation>
    </message>
</context>
<context>
    <name>Templates</name>
    <message>
        <source>Merovik保险柜 1.0 版</source>
        <translation>Merovik Vault version 1.0</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>内容：</source>
        <translation>Contents:</translation>
    </message>
    <message>
        <source>放弃</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>忘记口令...</source>
        <translation>Forgot...</translation>
    </message>
    <message>
        <source>户名(&amp;U)：</source>
        <translation>&amp;User:</translation>
    </message>
    <message>
        <source>口令(&amp;P)：</source>
        <translation>&amp;Password:</translation>
    </message>
    <message>
        <source>保险柜(&amp;V):</source>
        <translation>&amp;Vault:</translation>
    </message>
    <message>
        <source>登录</source>
        <translation>Login</translation>
    </message>
    <message>
        <source>保险柜存放位置(&amp;L):</source>
        <translation>Vault &amp;location:</translation>
    </message>
    <message>
        <source> 系统参数</source>
        <translation> Options</translation>
    </message>
    <message>
        <source>放入保险柜后自动删除源文件</source>
        <translation>Delete source once stored</translation>
    </message>
    <message>
        <source>保存登录户名,以便再次登录节省时间</source>
        <translation>Remember user name</translation>
    </message>
    <message>
        <source>空闲多少分钟后锁定</source>
        <translation>Lock if idle (min)</translation>
    </message>
    <message>
        <source>文档信息</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>原位置:</source>
        <translation>From:</translation>
    </message>
    <message>
        <source>大&#x3000;小：</source>
        <translation>Size:</translation>
    </message>
    <message>
        <source>归档日期：</source>
        <translation>Archived:</translation>
    </message>
    <message>
        <source>摘要</source>
        <translation>Summary</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>目录信息</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>大小:</source>
        <translation>Size:</translation>
    </message>
    <message>
        <source>建立日期:</source>
        <translation>Created:</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>这个位置还没有保险柜，将新建一个。</source>
        <translation>No vault here yet; one will be created.</translation>
    </message>
    <message>
        <source>请再次输入口令(&amp;A)：</source>
        <translation>&amp;Confirm password:</translation>
    </message>
    <message>
        <source>加密保护（推荐）</source>
        <translation>Protect (recommended)</translation>
    </message>
    <message>
        <source>新建</source>
        <translation>Create</translation>
    </message>
    <message>
        <source>我已抄下恢复密钥(&amp;W)</source>
        <translation>I &amp;wrote it down</translation>
    </message>
    <message>
        <source>复制(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>打印(&amp;P)...</source>
        <translation>&amp;Print...</translation>
    </message>
    <message>
        <source>另存为 PDF(&amp;S)...</source>
        <translation>&amp;Save as PDF...</translation>
    </message>
    <message>
        <source>请输入保险柜的恢复密钥，并设置新口令：</source>
        <translation>Enter the recovery key and a new password:</translation>
    </message>
    <message>
        <source>恢复密钥(&amp;K)：</source>
        <translation>Recovery &amp;key:</translation>
    </message>
    <message>
        <source>新口令(&amp;N)：</source>
        <translation>&amp;New password:</translation>
    </message>
    <message>
        <source>再次输入(&amp;A)：</source>
        <translation>Con&amp;firm:</translation>
    </message>
    <message>
        <source>保留所选版本</source>
        <translation>Keep selected</translation>
    </message>
    <message>
        <source>全部保留</source>
        <translation>Keep all</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>原口令(&amp;O)：</source>
        <translation>&amp;Old password:</translation>
    </message>
    <message>
        <source>现在的口令(&amp;C)：</source>
        <translation>&amp;Current:</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>口令：</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>关于Merovik保险柜</source>
        <translation>About Merovik Vault</translation>
    </message>
    <message>
        <source>Merovik保险柜</source>
        <translation>Merovik Vault</translation>
    </message>
    <message>
        <source>登陆Merovik保险柜</source>
        <translation>Log in to Merovik Vault</translation>
    </message>
    <message>
        <source>普通</source>
        <translation>General</translation>
    </message>
    <message>
        <source>文件属性</source>
        <translation>File properties</translation>
    </message>
    <message>
        <source>目录属性</source>
        <translation>Folder properties</translation>
    </message>
    <message>
        <source>处理进度</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>新建保险柜</source>
        <translation>New vault</translation>
    </message>
    <message>
        <source>恢复密钥</source>
        <translation>Recovery key</translation>
    </message>
    <message>
        <source>忘记口令</source>
        <translation>Forgot password</translation>
    </message>
    <message>
        <source>修改口令</source>
        <translation>Change password</translation>
    </message>
    <message>
        <source>加密保护此保险柜</source>
        <translation>Protect this vault</translation>
    </message>
    <message>
        <source>转换其余的文件</source>
        <translation>Convert remaining files</translation>
    </message>
    <message>
        <source>隐藏此保险柜的文件名</source>
        <translation>Hide file names in this vault</translation>
    </message>
    <message>
        <source>解决冲突</source>
        <translation>Resolve conflict</translation>
    </message>
    <message>
        <source>存入文件(&amp;I)...</source>
        <translation>Store &amp;files...</translation>
    </message>
    <message>
        <source>存入文件夹(&amp;D)...</source>
        <translation>Store fol&amp;der...</translation>
    </message>
    <message>
        <source>查找</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>解决冲突...</source>
        <translation>Resolve conflict...</translation>
    </message>
    <message>
        <source>参数设置...</source>
        <translation>Settings...</translation>
    </message>
    <message>
        <source>修改口令...</source>
        <translation>Change password...</translation>
    </message>
    <message>
        <source>加密保护此保险柜...</source>
        <translation>Protect this vault...</translation>
    </message>
    <message>
        <source>隐藏此保险柜的文件名...</source>
        <translation>Hide file names in this vault...</translation>
    </message>
    <message>
        <source>锁定</source>
        <translation>Lock</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>帮助与索引</source>
        <translation>User guide</translation>
    </message>
    <message>
        <source>关于Merovik保险柜...</source>
        <translation>About Merovik Vault...</translation>
    </message>
    <message>
        <source>文件[&amp;F]</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>帮助[&amp;H]</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>还原</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>还原到...</source>
        <translation>Restore to...</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>属性</source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>关于Merovik保险柜(&amp;A)...</source>
        <translation>&amp;About Merovik Vault...</translation>
    </message>
    <message>
        <source>加密保护的保险柜用真正的加密保存文件，并给出恢复密钥；
不加密保护的保险柜与以前的版本相同，只把文件打乱。</source>
        <translation>Protection means real encryption and a recovery key;
without it, as before, files are only scrambled.</translation>
    </message>
    <message>
        <source>这是保险柜的恢复密钥，只显示这一次。
忘记口令时，凭它可以设置新口令，重新打开保险柜。
请把它抄在纸上，与电脑分开保管：得到它的人也能打开保险柜。</source>
        <translation>This recovery key is shown only once.
If you forget the password, it lets you set a new one.
Keep it on paper, away from the computer: it opens the vault.</translation>
    </message>
    <message>
        <source>加密保护会把保险柜中的每个文件改写成加密的格式，并换一个新口令：
原来的口令会从没有加密保护的文件（包括它们的备份）中泄露出来。
改写可以中途取消，再次运行即可完成。
改写之前会显示恢复密钥，请准备好纸笔。</source>
        <translation>Each file is rewritten in encrypted form, under a new password:
unprotected files (and their backups) give away the old one.
You can cancel it and resume later.
Have pen and paper ready for the recovery key.</translation>
    </message>
    <message>
        <source>保险柜中还有没有加密保护的文件，它们是用原来的口令存入的。
请输入原来的口令，以便转换它们（转换完就不再需要它）：</source>
        <translation>Files not yet protected were stored with the old password.
Enter it to convert them (not needed after that):</translation>
    </message>
    <message>
        <source>保险柜中所有文件夹和文件的名字都将加密隐藏，口令不变。
完成后会显示新的恢复密钥，原来的恢复密钥从此失效。
请输入登录时的口令：</source>
        <translation>All names will be encrypted; the password stays the same.
A new recovery key then replaces the old one.
Enter your password:</translation>
    </message>
</context>
<context>
    <name>VaultApp</name>
    <message>
        <source>缺省位置</source>
        <translation>Default location</translation>
    </message>
</context>
<context>
    <name>VaultDlg</name>
    <message>
        <source>一分钟后保险柜将自动锁定，打开着的文件副本将被删除。请先保存。</source>
        <translation>The vault will lock automatically in one minute, and the copies of opened files will be deleted. Please save your work first.</translation>
    </message>
    <message>
        <source>选择要存入%1的文件</source>
        <translation>Choose files to store in the %1</translation>
    </message>
    <message>
        <source>选择要存入%1的文件夹</source>
        <translation>Choose a folder to store in the %1</translation>
    </message>
    <message numerus="yes">
        <source>%n 个文件已存入%1</source>
        <translation>
            <numerusform>%n file stored in the %1</numerusform>
            <numerusform>%n files stored in the %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>VaultLock</name>
    <message>
        <source>这些文件还在其他程序中打开着：

%1

锁定后这些副本将被删除。请先在程序中保存并关闭。</source>
        <translation>These files are still open in other programs:

%1

Locking deletes these copies. Please save and close them in those programs first.</translation>
    </message>
    <message>
        <source>锁定(&amp;L)</source>
        <translation>&amp;Lock</translation>
    </message>
</context>
<context>
    <name>VaultLogin</name>
    <message>
        <source>

仍然要在这里使用新的保险柜吗？原来的文件仍留在那里，但只有放回原来的密钥记录才能打开；之后存入的文件与它们无关。</source>
        <translation>

Use a new vault here anyway? The old files stay where they are, but they can be opened only once the original key record is put back; files stored from now on have nothing to do with them.</translation>
    </message>
    <message>
        <source>密钥记录不见了</source>
        <translation>Key record missing</translation>
    </message>
    <message>
        <source>已用恢复密钥为这个保险柜设置了新口令，保险柜已打开。以后请用新口令登录；原来的口令不再有效，恢复密钥仍然有效。</source>
        <translation>A new password has been set for this vault with the recovery key, and the vault is open. From now on, please log in with the new password; the old password no longer works, and the recovery key stays valid.</translation>
    </message>
    <message>
        <source>口令已重新设置</source>
        <translation>Password reset</translation>
    </message>
    <message>
        <source>这个保险柜的口令在两台电脑上分别改过了，这次打开它的是另一台电脑改的口令（同步程序保留的冲突副本）。现在两个口令都能打开这个保险柜；再改一次口令之后，就只有新口令能打开了。</source>
        <translation>The password of this vault was changed separately on two computers, and this time it was opened with the password set on the other computer (a conflict copy kept by the sync program). Both passwords now open this vault; once you change the password again, only the new one will.</translation>
    </message>
    <message>
        <source>口令已经改过</source>
        <translation>Password has changed</translation>
    </message>
    <message>
        <source>这个保险柜的口令已经改过了（可能是在另一台电脑上），这次是用原来的口令打开的。请改用新口令登录：新口令登录一次之后，原来的口令就打不开这个保险柜了。</source>
        <translation>The password of this vault has been changed (possibly on another computer), but this time it was opened with the old password. Please log in with the new password: once you have logged in with it, the old password will no longer open this vault.</translation>
    </message>
    <message>
        <source>这个位置不是文件夹：
%1</source>
        <translation>This location is not a folder:
%1</translation>
    </message>
    <message>
        <source>这个位置不存在：
%1
新建保险柜须用完整路径，例如 %2。</source>
        <translation>This location does not exist:
%1
A new vault needs a full path, for example %2.</translation>
    </message>
    <message>
        <source>这个位置不存在：
%1
要在这里新建保险柜吗？</source>
        <translation>This location does not exist:
%1
Create a new vault here?</translation>
    </message>
</context>
<context>
    <name>VaultProtection</name>
    <message>
        <source>加密保护此保险柜</source>
        <translation>Protect this vault</translation>
    </message>
    <message>
        <source>修改口令</source>
        <translation>Change password</translation>
    </message>
    <message>
        <source>隐藏此保险柜的文件名</source>
        <translation>Hide file names in this vault</translation>
    </message>
    <message>
        <source>隐藏文件名已取消。</source>
        <translation>Hiding file names was cancelled.</translation>
    </message>
    <message>
        <source>有的文件名没有隐藏（原因见下）。</source>
        <translation>Some file names were not hidden (reasons below).</translation>
    </message>
    <message numerus="yes">
        <source>
这次隐藏了 %n 个文件名；每个文件都还能以原来的名字还原，再次运行“隐藏此保险柜的文件名...”即可完成其余的。</source>
        <translation>
            <numerusform>
%n file name was hidden this time; every file can still be restored under its original name. Run “Hide file names in this vault...” again to finish the rest.</numerusform>
            <numerusform>
%n file names were hidden this time; every file can still be restored under its original name. Run “Hide file names in this vault...” again to finish the rest.</numerusform>
        </translation>
    </message>
    <message>
        <source>
保险柜中还有没有加密保护的文件：请先用“加密保护此保险柜...”转换它们。</source>
        <translation>
The vault still holds unprotected files: please convert them with “Protect this vault...” first.</translation>
    </message>
    <message>
        <source>保险柜没有加密保护。
</source>
        <translation>The vault has not been protected.
</translation>
    </message>
    <message>
        <source>口令没有修改，文件没有转换。
</source>
        <translation>The password was not changed and no files were converted.
</translation>
    </message>
    <message>
        <source>这不是这些文件存入时的口令。</source>
        <translation>This is not the password these files were stored with.</translation>
    </message>
    <message numerus="yes">
        <source>保险柜只有一部分文件已转换（这次 %n 个）。
每个文件都还能读出；再次运行“加密保护此保险柜...”即可完成其余的文件。</source>
        <translation>
            <numerusform>only some of the vault&apos;s files have been converted (%n this time).
Every file can still be read; run “Protect this vault...” again to finish the rest.</numerusform>
            <numerusform>only some of the vault&apos;s files have been converted (%n this time).
Every file can still be read; run “Protect this vault...” again to finish the rest.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>保险柜已加密保护，转换了 %n 个文件。</source>
        <translation>
            <numerusform>The vault is now protected; %n file was converted.</numerusform>
            <numerusform>The vault is now protected; %n files were converted.</numerusform>
        </translation>
    </message>
    <message>
        <source>转换已取消：</source>
        <translation>The conversion was cancelled: </translation>
    </message>
    <message>
        <source>转换没有完成（原因见下）：</source>
        <translation>The conversion did not finish (reasons below): </translation>
    </message>
    <message>
        <source>保险柜中还有没有加密保护的文件，它们只能用现在的口令读出。
请先用“加密保护此保险柜...”转换完，再修改口令。</source>
        <translation>The vault still holds unprotected files, which can only be read with the current password.
Please finish converting them with “Protect this vault...” before changing the password.</translation>
    </message>
    <message>
        <source>口令已修改，下次登录请用新口令。恢复密钥仍然有效。</source>
        <translation>The password has been changed; please log in with the new password next time. The recovery key stays valid.</translation>
    </message>
    <message>
        <source>口令没有修改。
</source>
        <translation>The password was not changed.
</translation>
    </message>
    <message>
        <source>文件名没有隐藏。
</source>
        <translation>The file names were not hidden.
</translation>
    </message>
    <message>
        <source>文件名都已隐藏，但保险柜的记录没有更新。
</source>
        <translation>All file names are hidden, but the vault&apos;s record was not updated.
</translation>
    </message>
    <message>
        <source>
再次运行“隐藏此保险柜的文件名...”即可完成。</source>
        <translation>
Run “Hide file names in this vault...” again to finish.</translation>
    </message>
    <message numerus="yes">
        <source>保险柜的文件名都已隐藏，隐藏了 %n 个文件名。口令不变；原来的恢复密钥已失效。</source>
        <translation>
            <numerusform>All file names in the vault are now hidden; %n name was hidden. The password stays the same; the old recovery key no longer works.</numerusform>
            <numerusform>All file names in the vault are now hidden; %n names were hidden. The password stays the same; the old recovery key no longer works.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>VaultTray</name>
    <message>
        <source>显示(&amp;S)</source>
        <translation>&amp;Show</translation>
    </message>
    <message>
        <source>锁定(&amp;L)</source>
        <translation>&amp;Lock</translation>
    </message>
    <message>
        <source>退出(&amp;X)</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>：已锁定</source>
        <translation>: locked</translation>
    </message>
    <message>
        <source>：已打开</source>
        <translation>: open</translation>
    </message>
    <message>
        <source>Merovik保险柜仍在运行，保险柜仍然打开着。点击通知区域中的图标可以再次显示窗口；要退出，请选“文件”菜单或图标菜单中的“退出”。</source>
        <translation>Merovik Vault is still running, and the vault is still open. Click the icon in the notification area to show the window again; to quit, choose “Quit” in the “File” menu or in the icon&apos;s menu.</translation>
    </message>
</context>
<context>
    <name>VersionTexts</name>
    <message>
        <source>未知</source>
        <translation>Unknown</translation>
    </message>
    <message numerus="yes">
        <source>%1（%n 个版本）</source>
        <translation>
            <numerusform>%1 (%n version)</numerusform>
            <numerusform>%1 (%n versions)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>文件：%1
有 %n 个版本（在两台电脑上分别存入，或同步软件留下的冲突副本）。</source>
        <translation>
            <numerusform>File: %1
It has %n version (stored on two computers, or conflict copies from sync software).</numerusform>
            <numerusform>File: %1
It has %n versions (stored on two computers, or conflict copies from sync software).</numerusform>
        </translation>
    </message>
    <message>
        <source>版本</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>存入时间</source>
        <translation>Time stored</translation>
    </message>
    <message>
        <source>大小</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>摘要</source>
        <translation>Summary</translation>
    </message>
    <message>
        <source>设备</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>原位置</source>
        <translation>Original location</translation>
    </message>
    <message>
        <source>yyyy年M月d日 HH:mm:ss</source>
        <translation>yyyy-MM-dd HH:mm:ss</translation>
    </message>
    <message>
        <source>版本在此期间有了变化，请刷新后再试</source>
        <translation>the versions changed in the meantime; please refresh and try again</translation>
    </message>
    <message>
        <source>冲突没有完全解决（%1）。</source>
        <translation>The conflict was not fully resolved (%1).</translation>
    </message>
    <message>
        <source>
以下版本保持原样：
</source>
        <translation>
These versions were left as they were:
</translation>
    </message>
</context>
</TS>
