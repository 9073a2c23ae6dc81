// The page: moves bytes and pixels between the browser and the core
// (quellbit_web.cpp) and keeps the controls in the window's states. It
// decides nothing the core decides.
'use strict';

(function () {
  const $ = (id) => document.getElementById(id);
  const core = Module;
  const WIDTH = 240, HEIGHT = 128;
  const OFF = [0, 128, 0], ON = [0, 0, 0]; // dark green, black

  // Every file opened, by name: {name, file (a File), folder (a directory
  // handle where the browser gives one)}.
  const pictures = new Map(); // the list "Files Name (*.bmp):"
  const others = new Map(); // any other picture, for Prepare
  const dataFiles = new Map(); // data files for the preview: name -> bytes
  const opened = new Set(); // the names of data files opened, not converted here
  let convertStatus = '';
  let outFilePath = '';
  let acceptedFolder = null;
  let prepared = null;

  // --- opening files --------------------------------------------------

  const isBitmap = (name) => /\.bmp$/i.test(name);
  const isDataFile = (name) => /\.(txt|inc|asm)$/i.test(name);

  async function addFiles(files, folder) {
    for (const file of files) {
      const entry = {name: file.name, file, folder};
      if (isBitmap(file.name)) pictures.set(file.name, entry);
      else if (isDataFile(file.name)) {
        dataFiles.set(file.name, new Uint8Array(await file.arrayBuffer()));
        opened.add(file.name);
      }
      else others.set(file.name, entry);
    }
    fillList();
    fillPrepareSources();
    fillDataFiles();
    setPreview(convertStatus === 'S');
  }

  // Preview as in the window (after a conversion), and whenever a data file
  // has been opened on the page.
  function setPreview(enabled) {
    $('PreviewButton').disabled = !(enabled || opened.size);
  }

  function fillList() {
    const list = $('File1');
    const selected = list.value;
    list.replaceChildren(...[...pictures.keys()].sort().map((name) => new Option(name, name)));
    if (pictures.has(selected)) list.value = selected;
    else if (list.options.length) list.selectedIndex = 0;
  }

  $('OpenButton').addEventListener('click', () => $('OpenInput').click());
  $('OpenInput').addEventListener('change', (e) => { addFiles([...e.target.files], null); e.target.value = ''; });
  $('FolderButton').addEventListener('click', async () => {
    if (!window.showDirectoryPicker) return $('FolderInput').click();
    let folder;
    try { folder = await window.showDirectoryPicker({mode: 'read'}); } catch { return; }
    const files = [];
    for await (const handle of folder.values())
      if (handle.kind === 'file') files.push(await handle.getFile());
    addFiles(files, folder);
  });
  $('FolderInput').addEventListener('change', (e) => {
    // Only the folder's own files, as the window's list shows them.
    addFiles([...e.target.files].filter((f) => f.webkitRelativePath.split('/').length === 2), null);
    e.target.value = '';
  });
  document.addEventListener('dragover', (e) => { e.preventDefault(); document.body.classList.add('dragging'); });
  document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
  document.addEventListener('drop', (e) => {
    e.preventDefault();
    document.body.classList.remove('dragging');
    addFiles([...e.dataTransfer.files], null);
  });

  // --- dialogs ---------------------------------------------------------

  function modal(dialog) {
    return new Promise((resolve) => {
      dialog.addEventListener('close', () => resolve(), {once: true});
      dialog.showModal();
    });
  }

  function reportFailure(text) {
    $('FailureText').textContent = text;
    return modal($('FailureBox'));
  }

  // --- pictures on canvases -------------------------------------------

  // One picture pixel (or LCD dot) a device pixel, whatever the zoom:
  // the canvas holds `scale` pixels a dot and is laid out at that many
  // device pixels.
  function fitCanvas(canvas, width, height, scale = 1) {
    canvas.width = width * scale;
    canvas.height = height * scale;
    canvas.style.width = (width * scale) / devicePixelRatio + 'px';
    canvas.style.height = (height * scale) / devicePixelRatio + 'px';
  }

  function drawRgba(canvas, rgba, width, height) {
    fitCanvas(canvas, width, height);
    canvas.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(rgba), width, height), 0, 0);
  }

  function clearCanvas(canvas) {
    canvas.getContext('2d').clearRect(0, 0, canvas.width, canvas.height);
  }

  // --- the window's workflow ------------------------------------------

  const previewPic = $('PreviewPic');
  const mode = () => ($('InverseOption').checked ? 'inverse' : 'normal');

  function ResetButton_Click() {
    clearCanvas(previewPic);
    $('InverseOption').disabled = true;
    $('NormalOption').checked = true;
    setPreview(false);
    $('ConvertButton').disabled = true;
    for (const id of ['HeightValue', 'WidthValue', 'ColorValue', 'StatusValue', 'OutFileValue']) $(id).value = '';
    $('ProgressPer').value = '0';
    convertStatus = 'F';
    outFilePath = '';
    acceptedFolder = null;
  }

  function outputName() {
    return core.dataFileName($('File1').value);
  }

  function Ready_Convert(bitCount) {
    $('InverseOption').disabled = bitCount !== 1;
    $('NormalOption').checked = true;
    setPreview(false);
    $('ConvertButton').disabled = false;
    $('StatusValue').value = '';
    $('OutFileValue').value = '';
    $('ProgressPer').value = '0';
    convertStatus = 'F';
    outFilePath = outputName();
  }

  async function File1_DblClick() {
    const entry = pictures.get($('File1').value);
    if (!entry) return;
    const intake = core.takeIn(new Uint8Array(await entry.file.arrayBuffer()), entry.name);
    if (intake.failure) return reportFailure(intake.failure);
    if (!intake.accepted) {
      await modal($('SizeError'));
      ResetButton_Click();
      $('File1').focus();
      return;
    }
    drawRgba(previewPic, intake.rgba, intake.width, intake.height);
    $('HeightValue').value = String(intake.height);
    $('WidthValue').value = String(intake.width);
    $('ColorValue').value = intake.bitCount + ' Bits ' + ' (' + 2 ** intake.bitCount + ' Colors)';
    acceptedFolder = entry.folder;
    Ready_Convert(intake.bitCount);
  }

  const list = $('File1');
  list.addEventListener('dblclick', File1_DblClick);
  list.addEventListener('keydown', (e) => {
    if (e.key === 'Enter') { e.preventDefault(); File1_DblClick(); }
  });

  function Clear_Result() {
    $('StatusValue').value = '';
    $('OutFileValue').value = '';
    setPreview(false);
    $('ProgressPer').value = '0';
    convertStatus = 'F';
    outFilePath = outputName();
  }

  function Show_Result() {
    $('StatusValue').value = convertStatus === 'S' ? 'Successed' : 'Failed';
    $('OutFileValue').value = convertStatus === 'S' ? outFilePath : '';
  }

  function download(bytes, name, type) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], {type}));
    link.download = name;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  // Beside the picture where the browser lets the page write into the
  // folder it opened (after its own prompt); a download otherwise.
  async function deliver(bytes, name) {
    if (acceptedFolder && acceptedFolder.requestPermission) {
      try {
        if ((await acceptedFolder.requestPermission({mode: 'readwrite'})) === 'granted') {
          const writable = await (await acceptedFolder.getFileHandle(name, {create: true})).createWritable();
          await writable.write(bytes);
          await writable.close();
          return;
        }
      } catch (e) {
        // refused or failed: the download below still gives the file
      }
    }
    download(bytes, name, 'text/plain');
  }

  function ConvertButton_Click() {
    Clear_Result();
    const made = core.convert(mode() === 'inverse'); // the core's own memory, until the next call into it
    const bytes = made && made.slice();
    if (bytes) {
      $('ProgressPer').value = '100';
      convertStatus = 'S';
      dataFiles.set(outFilePath, bytes);
      fillDataFiles(outFilePath);
      setPreview(true);
    }
    Show_Result();
    if (bytes) return deliver(bytes, outFilePath);
  }

  $('ConvertButton').addEventListener('click', ConvertButton_Click);
  $('ResetButton').addEventListener('click', ResetButton_Click);

  // --- the preview ----------------------------------------------------

  const lcdPic = $('LcdPic');
  let dots = null; // the dots shown, one byte each: 1 on, 0 off, 2 not reached
  let pointer = {x: 0, y: 0};

  function fillDataFiles(chosen) {
    const select = $('DataFile');
    const keep = chosen || select.value;
    select.replaceChildren(...[...dataFiles.keys()].map((name) => new Option(name, name)));
    if (dataFiles.has(keep)) select.value = keep;
  }

  function drawDots() {
    const scale = Number($('Magnification').value);
    fitCanvas(lcdPic, WIDTH, HEIGHT, scale);
    if (!dots) return;
    const image = new ImageData(WIDTH * scale, HEIGHT * scale);
    const box = getComputedStyle($('LcdBox')).backgroundColor.match(/\d+/g).map(Number);
    const colours = [OFF, ON, box].map((c) => new Uint32Array(new Uint8Array([c[0], c[1], c[2], 255]).buffer)[0]);
    const pixels = new Uint32Array(image.data.buffer);
    for (let y = 0; y < HEIGHT * scale; ++y)
      for (let x = 0; x < WIDTH * scale; ++x)
        pixels[y * WIDTH * scale + x] = colours[dots[Math.floor(y / scale) * WIDTH + Math.floor(x / scale)]];
    lcdPic.getContext('2d').putImageData(image, 0, 0);
  }

  async function ShowButton_Click() {
    const name = $('DataFile').value;
    const shown = core.show(dataFiles.get(name) || new Uint8Array(), name);
    dots = shown.dots;
    drawDots();
    if (shown.failure) await reportFailure(shown.failure);
  }

  function pointAt(x, y) {
    pointer = {x, y};
    const text = dots ? core.pointAt(x, y) : '';
    $('DotInfo').value = text;
    lcdPic.title = text;
  }

  lcdPic.addEventListener('pointermove', (e) => {
    const scale = Number($('Magnification').value);
    const rect = lcdPic.getBoundingClientRect();
    const x = Math.floor(((e.clientX - rect.left) * devicePixelRatio) / scale);
    const y = Math.floor(((e.clientY - rect.top) * devicePixelRatio) / scale);
    pointAt(x, y);
  });
  // The arrow keys walk the dots for those who use no pointer.
  lcdPic.addEventListener('keydown', (e) => {
    const step = {ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1]}[e.key];
    if (!step) return;
    e.preventDefault();
    pointAt(Math.min(WIDTH - 1, Math.max(0, pointer.x + step[0])), Math.min(HEIGHT - 1, Math.max(0, pointer.y + step[1])));
  });
  lcdPic.addEventListener('focus', () => pointAt(pointer.x, pointer.y));

  $('PreviewButton').addEventListener('click', () => {
    dots = null;
    drawDots();
    $('DotInfo').value = '';
    if (convertStatus === 'S') $('DataFile').value = outFilePath;
    $('Form2').showModal();
  });
  $('ShowButton').addEventListener('click', ShowButton_Click);
  $('Magnification').addEventListener('change', drawDots);
  $('SavePngButton').addEventListener('click', () => {
    if (!dots) return;
    const scale = Number($('Magnification').value);
    $('Magnification').value = '1';
    drawDots();
    lcdPic.toBlob((png) => download(png, $('DataFile').value.replace(/\.[^.]*$/, '') + '.png', 'image/png'));
    $('Magnification').value = String(scale);
    drawDots();
  });
  $('SaveDataBitmapButton').addEventListener('click', async () => {
    const name = $('DataFile').value;
    const bitmap = core.dataFileBitmap(dataFiles.get(name) || new Uint8Array(), name);
    if (bitmap.failure) return reportFailure(bitmap.failure);
    download(bitmap, name.replace(/\.[^.]*$/, '') + '.bmp', 'image/bmp');
  });

  // --- prepare --------------------------------------------------------

  function fillPrepareSources() {
    const select = $('PrepareSource');
    const keep = select.value;
    const names = [...others.keys(), ...pictures.keys()];
    select.replaceChildren(...names.map((name) => new Option(name, name)));
    if (names.includes(keep)) select.value = keep;
    else if (others.size) select.value = [...others.keys()].pop();
    prepare();
  }

  function prepareOptions() {
    return {
      sizing: document.querySelector('input[name=sizing]:checked').value,
      cropX: Math.max(0, Math.trunc(Number($('CropX').value)) || 0),
      cropY: Math.max(0, Math.trunc(Number($('CropY').value)) || 0),
      tone: $('Tone').value,
      threshold: Math.min(100, Math.max(1, Math.trunc(Number($('Threshold').value)) || 50)),
      invert: $('Invert').checked,
    };
  }

  // The browser's decoding, for what the core does not read itself: RGBA
  // as the browser shows the picture, not premultiplied.
  async function browserDecode(file) {
    const image = await createImageBitmap(file, {premultiplyAlpha: 'none'});
    const canvas = new OffscreenCanvas(image.width, image.height);
    const context = canvas.getContext('2d', {willReadFrequently: true});
    context.drawImage(image, 0, 0);
    const data = context.getImageData(0, 0, image.width, image.height).data;
    image.close();
    return {width: canvas.width, height: canvas.height, rgba: new Uint8Array(data.buffer)};
  }

  let preparing = Promise.resolve();
  function prepare() {
    preparing = preparing.then(prepareNow);
    return preparing;
  }

  async function prepareNow() {
    const name = $('PrepareSource').value;
    const entry = others.get(name) || pictures.get(name);
    prepared = null;
    $('AddButton').disabled = $('SaveBitmapButton').disabled = true;
    if (!entry) return;
    const options = prepareOptions();
    const bytes = new Uint8Array(await entry.file.arrayBuffer());
    let result = core.prepareFile(bytes, name, options);
    if (result.failure) {
      try {
        const decoded = await browserDecode(entry.file);
        result = core.prepareRgba(decoded.width, decoded.height, decoded.rgba, name, options);
      } catch (e) {
        // the core's own reason says best what the file is
      }
    }
    if (result.failure) {
      $('PrepareReport').value = result.failure;
      clearCanvas($('PreparePic'));
      return;
    }
    const rgba = new Uint8Array(WIDTH * HEIGHT * 4);
    result.black.forEach((black, i) => rgba.set(black ? [0, 0, 0, 255] : [255, 255, 255, 255], i * 4));
    drawRgba($('PreparePic'), rgba, WIDTH, HEIGHT);
    $('PrepareReport').value = result.description;
    prepared = result;
    $('AddButton').disabled = $('SaveBitmapButton').disabled = false;
  }

  for (const id of ['PrepareSource', 'CropX', 'CropY', 'Tone', 'Threshold', 'Invert'])
    $(id).addEventListener('input', prepare);
  for (const radio of document.querySelectorAll('input[name=sizing]')) radio.addEventListener('change', prepare);
  $('AddButton').addEventListener('click', () => {
    if (!prepared) return;
    const file = new File([prepared.bitmap], prepared.name, {type: 'image/bmp'});
    pictures.set(prepared.name, {name: prepared.name, file, folder: null});
    fillList();
    $('File1').value = prepared.name;
    fillPrepareSources();
  });
  $('SaveBitmapButton').addEventListener('click', () => {
    if (prepared) download(prepared.bitmap, prepared.name, 'image/bmp');
  });

  // --- start ------------------------------------------------------------

  function relayout() {
    if (previewPic.width) fitCanvas(previewPic, previewPic.width, previewPic.height);
    fitCanvas($('PreparePic'), WIDTH, HEIGHT);
    drawDots();
    // Device pixels change with zoom and with the screen; follow them.
    matchMedia(`(resolution: ${devicePixelRatio}dppx)`).addEventListener('change', () => {
      const keep = [previewPic, $('PreparePic')].map((c) => c.getContext('2d').getImageData(0, 0, c.width, c.height));
      relayout();
      [previewPic, $('PreparePic')].forEach((c, i) => c.getContext('2d').putImageData(keep[i], 0, 0));
    }, {once: true});
  }

  function start() {
    $('SizeErrorPrompt').textContent = core.limitsMessage('\n');
    ResetButton_Click();
    relayout();
    document.body.dataset.ready = 'true';
    performance.mark('quellbit-ready');
  }

  if (runtimeInitialized) start();
  else Module.onRuntimeInitialized = start;
})();
