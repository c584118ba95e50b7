<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>ovix::CCH_Link_Dlg</name>
    <message>
        <source>Which channel data should be applied? </source>
        <translation>选择哪个通道为基准?</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Grouping of Front channel</source>
        <translation>前声场联调</translation>
    </message>
    <message>
        <source>CH1.Front Left be applied?</source>
        <translation>以CH1前左为基准?</translation>
    </message>
    <message>
        <source>CH2.Front Right be applied? </source>
        <translation>以CH2前右为基准? </translation>
    </message>
    <message>
        <source>Grouping of Rear channel</source>
        <translation>后声场联调</translation>
    </message>
    <message>
        <source>CH3.Rear Left be applied? </source>
        <translation>以CH3后左为基准? </translation>
    </message>
    <message>
        <source>CH4.Rear Right be applied? </source>
        <translation>以CH4后右为基准? </translation>
    </message>
    <message>
        <source>Grouping of CH5 and CH6 channel</source>
        <translation>Grouping of CH5 and CH6 channel</translation>
    </message>
    <message>
        <source>CH5.Left be applied? </source>
        <translation>以CH5左超低为基准? </translation>
    </message>
    <message>
        <source>CH6.Right be applied? </source>
        <translation>以CH6右超低为基准? </translation>
    </message>
</context>
<context>
    <name>ovix::CDisplayDlg</name>
    <message>
        <source>End of </source>
        <translation>加载结束</translation>
    </message>
    <message>
        <source>Load Data</source>
        <translation>加载数据</translation>
    </message>
</context>
<context>
    <name>ovix::CFStatic</name>
    <message>
        <source>Response graph</source>
        <translation>响应曲线</translation>
    </message>
    <message>
        <source>All Bypass</source>
        <translation>直通</translation>
    </message>
    <message>
        <source>Import filters...</source>
        <translation>导入滤波器...</translation>
    </message>
    <message>
        <source>Export filters...</source>
        <translation>导出滤波器...</translation>
    </message>
    <message>
        <source>Save graph as image...</source>
        <translation>将曲线图保存为图片...</translation>
    </message>
</context>
<context>
    <name>ovix::CMsgBox</name>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>ovix::COutputDlg</name>
    <message>
        <source>Band %1 gain</source>
        <translation>频段%1 增益</translation>
    </message>
    <message>
        <source>Band %1 gain field</source>
        <translation>频段%1 增益数值</translation>
    </message>
    <message>
        <source>Band %1 frequency</source>
        <translation>频段%1 频率</translation>
    </message>
    <message>
        <source>Band %1 Q</source>
        <translation>频段%1 Q</translation>
    </message>
    <message>
        <source>Band %1 bypass</source>
        <translation>频段%1 直通</translation>
    </message>
    <message>
        <source>Whether ByPass All EQ?</source>
        <translation>是否直通所有均衡？</translation>
    </message>
    <message>
        <source>Whether Restore All EQ?</source>
        <translation>是否恢复所有均衡？</translation>
    </message>
    <message>
        <source>Whether the PEQMode convert to GEQMode?</source>
        <translation>是否把参量均衡模式转换为图示均衡模式?</translation>
    </message>
    <message>
        <source>Whether the GEQMode convert to PEQMode?</source>
        <translation>是否把图示均衡模式转换为参量均衡模式?</translation>
    </message>
</context>
<context>
    <name>ovix::CProgramDlg</name>
    <message>
        <source>File</source>
        <translation>文件</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>组名</translation>
    </message>
    <message>
        <source>ID:</source>
        <translation>组号：</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>组名：</translation>
    </message>
    <message>
        <source>Store</source>
        <translation>存储</translation>
    </message>
    <message>
        <source>Recall</source>
        <translation>调用</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>PC Program</source>
        <translation>电脑程序</translation>
    </message>
    <message>
        <source>Recall all data from PC</source>
        <translation>从电脑调用所有组数据</translation>
    </message>
    <message>
        <source>Recall data from PC</source>
        <translation>从电脑调用单组数据</translation>
    </message>
    <message>
        <source>Store all data to PC</source>
        <translation>存储所有组数据到电脑</translation>
    </message>
    <message>
        <source>Store data to PC</source>
        <translation>存储单组数据到电脑</translation>
    </message>
    <message>
        <source>Program list</source>
        <translation>程序列表</translation>
    </message>
    <message>
        <source>PC recall</source>
        <translation>电脑调用</translation>
    </message>
    <message>
        <source>PC store</source>
        <translation>电脑存储</translation>
    </message>
    <message>
        <source>Are you delete this Data?</source>
        <translation>是否删除本组数据?</translation>
    </message>
</context>
<context>
    <name>ovix::CQamrelView</name>
    <message>
        <source>Volume</source>
        <translation>音量</translation>
    </message>
    <message>
        <source>High-pass filter</source>
        <translation>高通滤波器</translation>
    </message>
    <message>
        <source>Low-pass filter</source>
        <translation>低通滤波器</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>单位</translation>
    </message>
    <message>
        <source>Front L</source>
        <translation>前左</translation>
    </message>
    <message>
        <source>Front R</source>
        <translation>前右</translation>
    </message>
    <message>
        <source>Rear L</source>
        <translation>后左</translation>
    </message>
    <message>
        <source>Rear R</source>
        <translation>后右</translation>
    </message>
    <message>
        <source>Sub L</source>
        <translation>低音左</translation>
    </message>
    <message>
        <source>Sub R</source>
        <translation>低音右</translation>
    </message>
    <message>
        <source>Group&amp;Front</source>
        <translation>组合&amp;前置</translation>
    </message>
    <message>
        <source>Group&amp;Rear</source>
        <translation>组合&amp;后置</translation>
    </message>
    <message>
        <source>Group&amp;Sub</source>
        <translation>组合&amp;低音</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>类型</translation>
    </message>
    <message>
        <source>Freq</source>
        <translation>频率</translation>
    </message>
    <message>
        <source>Oct</source>
        <translation>斜率</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>序号</translation>
    </message>
    <message>
        <source>Work</source>
        <translation>工作</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>断开</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>已连接</translation>
    </message>
    <message>
        <source>Connect...</source>
        <translation>连接...</translation>
    </message>
    <message>
        <source>Not connect</source>
        <translation>未连接</translation>
    </message>
    <message>
        <source>Link-Ril</source>
        <translation>宁克-锐</translation>
    </message>
    <message>
        <source>Bessel</source>
        <translation>贝塞尔</translation>
    </message>
    <message>
        <source>Butter-W</source>
        <translation>巴特沃斯</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>On</source>
        <translation>开启</translation>
    </message>
    <message>
        <source>CH%1 select</source>
        <translation>CH%1 选择</translation>
    </message>
    <message>
        <source>CH%1 on</source>
        <translation>CH%1 开关</translation>
    </message>
    <message>
        <source>CH%1 polarity</source>
        <translation>CH%1 相位</translation>
    </message>
    <message>
        <source>CH%1 gain</source>
        <translation>CH%1 增益</translation>
    </message>
    <message>
        <source>CH%1 gain field</source>
        <translation>CH%1 增益数值</translation>
    </message>
    <message>
        <source>CH%1 delay</source>
        <translation>CH%1 延时</translation>
    </message>
    <message>
        <source>Delay</source>
        <translation>延时</translation>
    </message>
    <message>
        <source>CH%1 speaker</source>
        <translation>CH%1 喇叭</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>High-pass type</source>
        <translation>高通类型</translation>
    </message>
    <message>
        <source>High-pass frequency</source>
        <translation>高通频率</translation>
    </message>
    <message>
        <source>High-pass slope</source>
        <translation>高通斜率</translation>
    </message>
    <message>
        <source>Low-pass type</source>
        <translation>低通类型</translation>
    </message>
    <message>
        <source>Low-pass frequency</source>
        <translation>低通频率</translation>
    </message>
    <message>
        <source>Low-pass slope</source>
        <translation>低通斜率</translation>
    </message>
    <message>
        <source>Ms</source>
        <translation>毫秒</translation>
    </message>
    <message>
        <source>Cm</source>
        <translation>厘米</translation>
    </message>
    <message>
        <source>In</source>
        <translation>英寸</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>程序</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>连接</translation>
    </message>
    <message>
        <source>Minimise</source>
        <translation>最小化</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Volume field</source>
        <translation>音量数值</translation>
    </message>
    <message>
        <source>1-Way</source>
        <translation>全频</translation>
    </message>
    <message>
        <source>2-Way</source>
        <translation>二分频</translation>
    </message>
    <message>
        <source>Bypass All EQ</source>
        <translation>直通所有均衡</translation>
    </message>
    <message>
        <source>Restore All EQ</source>
        <translation>恢复所有均衡</translation>
    </message>
    <message>
        <source>PEQ Mode</source>
        <translation>参量均衡器</translation>
    </message>
    <message>
        <source>GEQ Mode</source>
        <translation>图示均衡器</translation>
    </message>
    <message>
        <source>Reset All EQ</source>
        <translation>重置所有均衡</translation>
    </message>
    <message>
        <source>Equaliser</source>
        <translation>均衡器</translation>
    </message>
    <message>
        <source>Whether the reset all EQ?</source>
        <translation>是否重置所有均衡?</translation>
    </message>
    <message>
        <source>Filter text (*.txt)</source>
        <translation>滤波器文本 (*.txt)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>所有文件 (*)</translation>
    </message>
    <message>
        <source>Nothing was imported:</source>
        <translation>未导入任何内容：</translation>
    </message>
    <message>
        <source>The filters were imported. Values the processor cannot hold were limited:</source>
        <translation>滤波器已导入。超出处理器范围的数值已被限制：</translation>
    </message>
    <message>
        <source>PNG image (*.png)</source>
        <translation>PNG 图片 (*.png)</translation>
    </message>
    <message>
        <source>The image %1 cannot be written</source>
        <translation>无法写入图片 %1</translation>
    </message>
</context>
<context>
    <name>ovix::CUpgradeDlg</name>
    <message>
        <source>Device Firmware Update</source>
        <translation>设备固件更新</translation>
    </message>
    <message>
        <source>Update File</source>
        <translation>Bin文件</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>浏览</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Firmware file</source>
        <translation>固件文件</translation>
    </message>
    <message>
        <source>Firmware update progress</source>
        <translation>固件更新进度</translation>
    </message>
    <message>
        <source>Firmware update status</source>
        <translation>固件更新状态</translation>
    </message>
</context>
<context>
    <name>ovix::CVersionDlg</name>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Firmware Update</source>
        <translation>设备固件更新</translation>
    </message>
    <message>
        <source>中文</source>
        <comment>language button on a Chinese system: names the other language</comment>
        <translation>English</translation>
    </message>
    <message>
        <source>Chinese</source>
        <comment>language button: names the other language</comment>
        <translation>English</translation>
    </message>
</context>
<context>
    <name>ovix::FontStatic</name>
    <message>
        <source>Font could not be created!</source>
        <translation>字体不能创建!</translation>
    </message>
</context>
<context>
    <name>ovix::Messages</name>
    <message>
        <source>char Len error!</source>
        <translation>字符长度错误!</translation>
    </message>
    <message>
        <source>Connection failure!</source>
        <comment>the processor stopped answering</comment>
        <translation>连接失败  请检查USB线缆是否插好或重启计算机和设备后再尝试连接!</translation>
    </message>
    <message>
        <source>Connection failure!</source>
        <comment>the chosen processor cannot be opened</comment>
        <translation>连接失败  请检查USB线缆是否插好或
该设备已经连接上了另一软件!</translation>
    </message>
    <message>
        <source>No connection can be opened</source>
        <translation>没有连接可以打开</translation>
    </message>
    <message>
        <source>Please Update the Firmware!</source>
        <translation>设备异常 请更新固件!!</translation>
    </message>
    <message>
        <source> If device version is lower than the software version, only the device at version, HN338-V%1.01 to HN338-V%1.99, can be connected with this software.</source>
        <translation>设备版本比PC软件版本号低，只有版本号为“HN338-V%1.01到HN338-V%1.99”之间的设备才能和该版本的PC软件连接。</translation>
    </message>
    <message>
        <source> If software version is lower than the device version, only the software at version, PHN338-V%1.01 to PHN338-V%1.99, can be connected with this device.</source>
        <translation>PC软件版本比设备版本号低，只有版本号为“PHN338-V%1.01到PHN338-V%1.99”之间的PC软件才能和该版本的设备连接。</translation>
    </message>
    <message>
        <source>Save MusicFile Error!</source>
        <translation>保存音乐文件错误!</translation>
    </message>
    <message>
        <source>Read MusicFile  Error</source>
        <translation>读音乐文件错误!</translation>
    </message>
    <message>
        <source>save all MusicFile Error!</source>
        <translation>保存所有音乐文件错误!</translation>
    </message>
    <message>
        <source>Read all MusicFile Error</source>
        <translation>读所有音乐文件错误!</translation>
    </message>
    <message>
        <source>Connected Usb</source>
        <translation>连接Usb</translation>
    </message>
    <message>
        <source>Erasing......</source>
        <translation>擦除中......</translation>
    </message>
    <message>
        <source>Programming......</source>
        <comment>firmware status: DSP data</comment>
        <translation>DSP更新开始</translation>
    </message>
    <message>
        <source>Programming......</source>
        <comment>firmware status: MCU data</comment>
        <translation>数据传输</translation>
    </message>
    <message>
        <source>Update successfully!</source>
        <comment>firmware status: last step answered</comment>
        <translation>更新完成!</translation>
    </message>
    <message>
        <source>Bin File error!</source>
        <translation>Bin文件错误!</translation>
    </message>
    <message>
        <source>更新文件错误！</source>
        <comment>firmware file without a usable section</comment>
        <translation>更新文件错误！</translation>
    </message>
    <message>
        <source>Update successfully!</source>
        <comment>firmware message: update finished</comment>
        <translation>固件更新完成!</translation>
    </message>
    <message>
        <source>The firmware update failed</source>
        <translation>更新固件失败！</translation>
    </message>
    <message>
        <source>The name can not be empty!</source>
        <translation>组名不能为空!</translation>
    </message>
    <message>
        <source>The name can not be all spaces!</source>
        <translation>组名不能全为空格!</translation>
    </message>
    <message>
        <source>Have been the same name!</source>
        <translation>已有相同的组名称!</translation>
    </message>
    <message>
        <source>Line %1: not a filter line</source>
        <translation>第 %1 行：不是滤波器行</translation>
    </message>
    <message>
        <source>Line %1: the filter type %2 cannot be imported</source>
        <translation>第 %1 行：无法导入滤波器类型 %2</translation>
    </message>
    <message>
        <source>Line %1: %2 has a decimal comma; write a decimal point</source>
        <translation>第 %1 行：%2 用了逗号作小数点，请改用句点</translation>
    </message>
    <message>
        <source>Line %1: %2 is missing</source>
        <translation>第 %1 行：缺少 %2</translation>
    </message>
    <message>
        <source>Line %1: %2 %3 is not a usable value</source>
        <translation>第 %1 行：%2 的值 %3 无法使用</translation>
    </message>
    <message>
        <source>The text has %1 equaliser filters; a channel has 31 bands. Nothing was imported.</source>
        <translation>文本中有 %1 个均衡滤波器，而一个通道只有 31 段。未导入任何内容。</translation>
    </message>
    <message>
        <source>The text holds no filters</source>
        <translation>文本中没有滤波器</translation>
    </message>
    <message>
        <source>The channel is in GEQ mode; switch it to PEQ mode to import filters</source>
        <translation>该通道处于图示均衡模式，请先切换到参量均衡模式再导入滤波器</translation>
    </message>
    <message>
        <source>The channel is in GEQ mode. Switch it to PEQ mode and import the filters?</source>
        <translation>该通道处于图示均衡模式。是否切换到参量均衡模式并导入滤波器?</translation>
    </message>
    <message>
        <source>Line %1: frequency %2 Hz limited to %3 Hz</source>
        <translation>第 %1 行：频率 %2 Hz 已限制为 %3 Hz</translation>
    </message>
    <message>
        <source>Line %1: gain %2 dB limited to %3 dB</source>
        <translation>第 %1 行：增益 %2 dB 已限制为 %3 dB</translation>
    </message>
    <message>
        <source>Line %1: Q %2 is beyond the device&apos;s range; bandwidth %3 used</source>
        <translation>第 %1 行：Q 值 %2 超出设备范围，已使用带宽 %3</translation>
    </message>
    <message>
        <source>Line %1: preamp %2 dB limited to %3 dB</source>
        <translation>第 %1 行：前级增益 %2 dB 已限制为 %3 dB</translation>
    </message>
    <message>
        <source>The filter file %1 cannot be read</source>
        <translation>无法读取滤波器文件 %1</translation>
    </message>
    <message>
        <source>The filter file %1 cannot be written</source>
        <translation>无法写入滤波器文件 %1</translation>
    </message>
    <message>
        <source>Firmware update started</source>
        <comment>firmware status: start step answered</comment>
        <translation>固件开始更新</translation>
    </message>
    <message>
        <source>Data transfer</source>
        <comment>firmware status: erase step answered</comment>
        <translation>数据传输</translation>
    </message>
</context>
<context>
    <name>ovix::NumFormat</name>
    <message>
        <source>OFF</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>ovix::NumSpin</name>
    <message>
        <source>Set Pos Error!</source>
        <translation>设定Pos错误!</translation>
    </message>
</context>
</TS>
